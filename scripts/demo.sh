#!/usr/bin/env bash
# demo.sh: Tarnwick.exe from start to finish under Wine, against the
# reference rendezvous server and nginx on loopback. Expects the builds of
# main.sh (presets linux-release and windows).
#
# With a display (DISPLAY set) the installer's windows appear there and a
# person clicks through them. Without one (or with TARNWICK_DEMO_HEADLESS=1)
# it runs on a private Xvfb display in Wine's virtual desktop, a driver
# clicks Install, and screenshots of each step land in build/demo/screenshots.
# The Wine prefix build/demo/wineprefix is kept: a second run finds the
# installation and shows the already-installed dialog (the driver clicks
# Launch). Delete that folder to start over.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win=$root/build/windows
tools=$root/build/linux-release/tools
demo=$root/build/demo
prefix=$demo/wineprefix
shots=$demo/screenshots
peers=$root/tests/support/peers/peers.sh
# The addresses built into the demonstration's Tarnwick.exe (CMakePresets.json).
rendezvous=127.0.5.20
site=127.0.5.21

# Whatever Wine keeps in a home folder stays in the demonstration's own
# (wine-run.sh already keeps the prefix's desktop and menus inside it).
export HOME=$demo/home
mkdir -p "$HOME"

wine_run() { bash "$root/scripts/wine-run.sh" "$prefix" "$@"; }

# Inside the display: the installer, and the driver playing the person.
if [ "${1:-}" = --session ]; then
    wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
    wine_run "$win/installer/app/Tarnwick.exe" &
    installer=$!
    status=0
    wine_run "$win/tools/tarnwick-driver/tarnwick-driver.exe" demo "Z:${shots//\//\\}" || status=$?
    wait "$installer" || true
    exit "$status"
fi

for program in "$win/installer/app/Tarnwick.exe" "$win/tools/tarnwick-driver/tarnwick-driver.exe" \
    "$win/tools/tarnwick-client/tarnwick-client.exe" "$tools/tarnwick-pack/tarnwick-pack" \
    "$tools/tarnwick-rendezvous/tarnwick-rendezvous"; do
    [ -x "$program" ] || [ -f "$program" ] || { echo "demo: $program is missing; run scripts/main.sh" >&2; exit 1; }
done

stop_peers() {
    bash "$peers" stop "$demo/nginx" >/dev/null 2>&1 || true
    bash "$peers" stop "$demo/rendezvous" >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
trap stop_peers EXIT
stop_peers  # whatever an interrupted run left behind

echo "== Packing the sample client"
rm -rf "$demo/client" "$demo/nginx" "$demo/rendezvous" "$shots"
mkdir -p "$demo/client" "$demo/nginx/www/download" "$demo/rendezvous" "$shots"
cp "$win/tools/tarnwick-client/tarnwick-client.exe" "$demo/client/"
echo "The Tarnwick sample client, version 7." >"$demo/client/readme.txt"
# Incompressible data, so that the download takes long enough to be seen.
head -c 1500000 /dev/urandom >"$demo/client/sample-data.bin"
"$tools/tarnwick-pack/tarnwick-pack" build "$demo/client" "$demo/nginx/www/update.bin" \
    --version 7 --program tarnwick-client.exe
"$tools/tarnwick-pack/tarnwick-pack" list "$demo/nginx/www/update.bin"

echo "== Serving it: nginx on $site, the rendezvous server on $rendezvous:16000"
echo "<html><body>The Tarnwick service status page.</body></html>" >"$demo/nginx/www/index.html"
echo "<html><body>Download Tarnwick.</body></html>" >"$demo/nginx/www/download/index.html"
echo 'location = /update.bin { limit_rate 400k; }' >"$demo/nginx/demo.locations"
bash "$peers" nginx "$site" "$demo/nginx" >/dev/null
bash "$peers" rendezvous "$demo/rendezvous" "$tools/tarnwick-rendezvous/tarnwick-rendezvous" \
    --address "$rendezvous" --offer "http://$site/update.bin" --version 7 >/dev/null

status=0
if [ -n "${DISPLAY:-}" ] && [ -z "${TARNWICK_DEMO_HEADLESS:-}" ]; then
    echo "== Running Tarnwick.exe on $DISPLAY: click through its windows"
    wine_run reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    wine_run "$win/installer/app/Tarnwick.exe" || status=$?
else
    echo "== Running Tarnwick.exe headless (Xvfb, Wine's virtual desktop), driven"
    bash "$root/scripts/with-xvfb.sh" bash "$0" --session || status=$?
    for bitmap in "$shots"/*.bmp; do
        [ -f "$bitmap" ] || continue
        convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
    done
fi

echo "== The rendezvous server's log"
cat "$demo/rendezvous/log"
echo "== Installed files"
appdata=$(find "$prefix/drive_c/users" -maxdepth 4 -type d -path '*/AppData/Roaming' | grep -v /Public/ | head -n 1)
if [ -d "$appdata/Tarnwick" ]; then
    (cd "$appdata" && find Tarnwick -type f -printf '  %p (%s bytes)\n' | sort)
else
    echo "  (none)"
fi
echo "== Registry values and shortcuts"
wine_run "$win/tools/tarnwick-driver/tarnwick-driver.exe" report
if compgen -G "$shots/*.png" >/dev/null; then
    echo "== Screenshots"
    ls "$shots"/*.png | sed 's/^/  /'
fi
exit "$status"
