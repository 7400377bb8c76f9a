#!/usr/bin/env bash
# net-peers.sh start|stop NETWORK DIR
# The peers of the networking suite, all on addresses NETWORK.x (such as
# 127.0.1.x), with their files under DIR:
#   .10, .11  nginx on port 80, serving DIR/nginx/www
#   .20       tinyproxy on 3128 asking for Basic credentials (tarnwick/proxy-pass)
#   .21       tinyproxy on 3128 without authentication
#   .30       dante on 1080, "none username" (refuses connections to .32)
#   .31       dante on 1080, "username" only
#   .40       the scripted peer on 80 and 1080
set -euo pipefail
peers=$(cd "$(dirname "$0")/../../support/peers" && pwd)/peers.sh
action=$1 net=$2 dir=$3
names=(nginx http-proxy-auth http-proxy-open socks socks-auth scripted)

stop_all() {
    for name in "${names[@]}"; do bash "$peers" stop "$dir/$name"; done
}

case $action in
    start)
        stop_all  # whatever a crashed run left behind
        mkdir -p "$dir/nginx/www"
        head -c 300000 /dev/urandom >"$dir/nginx/www/file.bin"
        head -c 70000 /dev/urandom >"$dir/nginx/www/other.bin"
        echo "location = /redirect/elsewhere { return 302 http://$net.11/other.bin; }" >"$dir/nginx/elsewhere.locations"
        bash "$peers" account tarnwick-socks socks-pass
        bash "$peers" nginx "$net.10" "$dir/nginx" "$net.11"
        bash "$peers" tinyproxy "$net.20" 3128 "$dir/http-proxy-auth" tarnwick proxy-pass
        bash "$peers" tinyproxy "$net.21" 3128 "$dir/http-proxy-open"
        bash "$peers" dante "$net.30" 1080 "$dir/socks" "none username" "$net.32"
        bash "$peers" dante "$net.31" 1080 "$dir/socks-auth" "username"
        bash "$peers" scripted "$net.40" "$dir/scripted" 80 1080
        ;;
    stop) stop_all ;;
    *) echo "usage: $0 start|stop NETWORK DIR" >&2; exit 2 ;;
esac
