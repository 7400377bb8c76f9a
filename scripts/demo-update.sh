#!/usr/bin/env bash
# Watch one update run install a package, natively, end to end:
#   1. builds the tools (preset linux-release),
#   2. packs a folder into an update package (tarnwick-pack),
#   3. serves it with nginx and offers it with the reference rendezvous
#      server (tarnwick-rendezvous), both on loopback addresses 127.0.5.x,
#   4. runs the installer's update run against them (tarnwick-update) into a
#      demonstration application-data folder, and starts the installed client.
#
#   bash scripts/demo-update.sh [FOLDER [PROGRAM]]
#
# FOLDER defaults to a small demonstration client; PROGRAM is the client
# program's name inside it (backslash-separated), installed as Tarnwick.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh >/dev/null

echo "== building the tools"
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target tarnwick-pack tarnwick-rendezvous tarnwick-update >/dev/null
tools=$root/build/linux-release/tools

demo=$(mktemp -d /tmp/tarnwick-demo.XXXXXX)
peers=$root/tests/support/peers/peers.sh
stop() {
    bash "$peers" stop "$demo/nginx" >/dev/null || true
    bash "$peers" stop "$demo/rendezvous" >/dev/null || true
}
trap stop EXIT

source=${1:-}
program=${2:-client.sh}
if [ -z "$source" ]; then
    source=$demo/client
    mkdir -p "$source/docs"
    cat >"$source/client.sh" <<'CLIENT'
#!/bin/sh
echo "Tarnwick client started in $(pwd) with arguments: $*" >"$(dirname "$0")/started.txt"
CLIENT
    chmod +x "$source/client.sh"
    echo "The Tarnwick client, version 7." >"$source/docs/readme.txt"
fi

echo "== packing $source"
mkdir -p "$demo/nginx/www"
"$tools/tarnwick-pack/tarnwick-pack" build "$source" "$demo/nginx/www/update.bin" --version 7 --program "$program"
"$tools/tarnwick-pack/tarnwick-pack" list "$demo/nginx/www/update.bin"

echo "== serving it"
bash "$peers" nginx 127.0.5.1 "$demo/nginx" >/dev/null
bash "$peers" rendezvous "$demo/rendezvous" "$tools/tarnwick-rendezvous/tarnwick-rendezvous" \
    --address 127.0.5.10 --offer http://127.0.5.1/update.bin --version 7 >/dev/null

echo "== the update run"
export XDG_DATA_HOME=$demo/appdata
"$tools/tarnwick-update/tarnwick-update" --host 127.0.5.10 --launch || true
sleep 0.5

echo "== the rendezvous server's log"
cat "$demo/rendezvous/log"
echo "== installed into $XDG_DATA_HOME/Tarnwick/Tarnwick"
find "$XDG_DATA_HOME/Tarnwick/Tarnwick" | sort
[ -f "$XDG_DATA_HOME/Tarnwick/Tarnwick/started.txt" ] && cat "$XDG_DATA_HOME/Tarnwick/Tarnwick/started.txt"
echo "(everything is in $demo; remove it when done)"
