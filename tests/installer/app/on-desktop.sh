#!/usr/bin/env bash
# on-desktop.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in a virtual desktop of its own, which
# the programs it starts share. Wine keeps a desktop's window manager for as
# long as its wineserver lives, tied to the X display it was first opened on;
# other suites' displays come and go, so each run names a new desktop.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
prefix=$1
program=$(basename "$2")
desktop=InstallerApp$$

bash "$scripts/wine-run.sh" "$prefix" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" \
    /v Desktop /d "$desktop" /f >/dev/null
bash "$scripts/wine-run.sh" "$prefix" reg add 'HKCU\Software\Wine\Explorer\Desktops' \
    /v "$desktop" /d 1024x768 /f >/dev/null
exec bash "$scripts/wine-run.sh" "$@"
