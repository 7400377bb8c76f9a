#!/usr/bin/env bash
# wine-desktop-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine inside a virtual desktop of 1024 x 768,
# where Wine draws window frames and captions itself (a bare X server shows
# none). Wine puts a program on such a desktop when its registry says so; the
# program's output and exit code come back as with wine-run.sh.
#
# TARNWICK_DPI (96 by default) is the display's resolution in dots per inch:
# Wine takes it from the user's LogPixels (ahead of the machine's), once per
# process, so a prefix keeps one resolution and a run at another needs a
# prefix of its own. Screenshots that the program left as BMP files in
# TARNWICK_SCREENSHOTS (default screenshots; relative to the working
# directory) are turned into PNG files afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
program=$(basename "$2")
dpi=${TARNWICK_DPI:-96}
shots=${TARNWICK_SCREENSHOTS:-screenshots}

"$here/wine-run.sh" "$prefix" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" \
  /v Desktop /d Tarnwick /f >/dev/null
"$here/wine-run.sh" "$prefix" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tarnwick /d 1024x768 /f >/dev/null
"$here/wine-run.sh" "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null

mkdir -p "$shots"
status=0
"$here/wine-run.sh" "$@" || status=$?

for bitmap in "$shots"/*.bmp; do
  [ -f "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
exit "$status"
