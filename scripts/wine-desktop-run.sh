#!/usr/bin/env bash
# wine-desktop-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine inside a virtual desktop of 1024 x 768,
# where Wine draws window frames and captions itself (a bare X server shows
# none). Wine puts a program on such a desktop when its registry says so; the
# program's output and exit code come back as with wine-run.sh. Screenshots
# that the program left as BMP files in $TARNWICK_BINARY_DIR/screenshots are
# turned into PNG files afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
program=$(basename "$2")

"$here/wine-run.sh" "$prefix" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" \
  /v Desktop /d Tarnwick /f >/dev/null
"$here/wine-run.sh" "$prefix" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tarnwick /d 1024x768 /f >/dev/null

status=0
"$here/wine-run.sh" "$@" || status=$?

shots=${TARNWICK_BINARY_DIR:-.}/screenshots
for bitmap in "$shots"/*.bmp; do
  [ -f "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
exit "$status"
