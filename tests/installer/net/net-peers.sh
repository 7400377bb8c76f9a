#!/usr/bin/env bash
# net-peers.sh start|stop PEER NETWORK DIR
# The peers of the networking suite, on addresses NETWORK.x (such as
# 127.0.1.x), each with its files in DIR/<name>:
#   nginx        .10 and .11 on port 80, serving DIR/nginx/www
#   http-proxy   tinyproxy on .20:3128 asking for Basic credentials
#                (tarnwick/proxy-pass), and on .21:3128 without
#   dante        on .30:1080 with "none username" (refusing connections to
#                .32), and on .31:1080 with "username" only
#   scripted     the scripted peer on .40, ports 80 and 1080
set -euo pipefail
peers=$(cd "$(dirname "$0")/../../support/peers" && pwd)/peers.sh
action=$1 peer=$2 net=$3 dir=$4

case $peer in
    nginx) folders=(nginx) ;;
    http-proxy) folders=(http-proxy-auth http-proxy-open) ;;
    dante) folders=(socks socks-auth) ;;
    scripted) folders=(scripted) ;;
    *) echo "net-peers: unknown peer $peer" >&2; exit 2 ;;
esac
for folder in "${folders[@]}"; do bash "$peers" stop "$dir/$folder"; done  # also what a crashed run left
[ "$action" = stop ] && exit 0

case $peer in
    nginx)
        mkdir -p "$dir/nginx/www"
        head -c 300000 /dev/urandom >"$dir/nginx/www/file.bin"
        head -c 70000 /dev/urandom >"$dir/nginx/www/other.bin"
        echo "location = /redirect/elsewhere { return 302 http://$net.11/other.bin; }" >"$dir/nginx/elsewhere.locations"
        bash "$peers" nginx "$net.10" "$dir/nginx" "$net.11"
        ;;
    http-proxy)
        bash "$peers" tinyproxy "$net.20" 3128 "$dir/http-proxy-auth" tarnwick proxy-pass
        bash "$peers" tinyproxy "$net.21" 3128 "$dir/http-proxy-open"
        ;;
    dante)
        bash "$peers" account tarnwick-socks socks-pass
        bash "$peers" dante "$net.30" 1080 "$dir/socks" "none username" "$net.32"
        bash "$peers" dante "$net.31" 1080 "$dir/socks-auth" "username"
        ;;
    scripted)
        bash "$peers" scripted "$net.40" "$dir/scripted" 80 1080
        ;;
esac
