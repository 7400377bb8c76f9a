#!/usr/bin/env bash
# app-peers.sh start|stop DIR
# app-peers.sh rendezvous DIR [OPTIONS...]
# The peers of the installer's end-to-end suite, files under DIR:
#   nginx on 127.0.6.1 port 80, serving DIR/nginx/www (the tests put the
#   package there; /proxied.bin only to requests that came through the HTTP
#   proxy, /socksed.bin only to those relayed by the SOCKS proxy, and
#   /resumed.bin only to requests for a range),
#   tinyproxy on 127.0.6.2 port 3128 (and on 127.0.6.5, asking for
#   tarnwick-proxy/proxy-secret-7), dante on 127.0.6.3 port 1080 asking
#   SOCKS 5 clients for tarnwick-socks/socks-pass, the scripted peer on
#   127.0.6.4 port 80 (a web server that breaks off), and the reference
#   rendezvous server on the address built into the test build's
#   Tarnwick.exe, 127.0.5.20 port 16000.
# "rendezvous" (run by the tests themselves, from Wine) stops the server and,
# given options, starts it again with them; either way it ends by writing
# DIR/rendezvous/switched. The server is native; the Windows build has none
# of its own, so "start" compiles it.
set -euo pipefail
peers=$(cd "$(dirname "$0")/../../support/peers" && pwd)/peers.sh
rendezvous_address=127.0.5.20
all_peers="nginx http-proxy http-proxy-auth socks-proxy scripted rendezvous"
action=$1 dir=$2
shift 2

switch_rendezvous() {
    mkdir -p "$dir/rendezvous"
    bash "$peers" stop "$dir/rendezvous" >/dev/null
    local status=0
    if (($#)); then
        bash "$peers" rendezvous "$dir/rendezvous" "$dir/tarnwick-rendezvous" --address "$rendezvous_address" \
            "$@" >/dev/null || status=$?
    fi
    touch "$dir/rendezvous/switched"
    return $status
}

case $action in
    start)
        for peer in $all_peers; do bash "$peers" stop "$dir/$peer"; done
        mkdir -p "$dir/nginx/www" "$dir/rendezvous"
        bash "$peers" rendezvous-program "$dir" >/dev/null
        # tinyproxy names itself in a Via header; a direct request has none.
        echo 'location = /proxied.bin { if ($http_via = "") { return 403; } }' >"$dir/nginx/proxied.locations"
        # dante connects onwards from its own address.
        echo 'location = /socksed.bin { allow 127.0.6.3; deny all; }' >"$dir/nginx/socksed.locations"
        echo 'location = /resumed.bin { if ($http_range = "") { return 403; } }' >"$dir/nginx/resumed.locations"
        bash "$peers" nginx 127.0.6.1 "$dir/nginx"
        bash "$peers" tinyproxy 127.0.6.2 3128 "$dir/http-proxy"
        bash "$peers" tinyproxy 127.0.6.5 3128 "$dir/http-proxy-auth" tarnwick-proxy proxy-secret-7
        bash "$peers" account tarnwick-socks socks-pass
        bash "$peers" dante 127.0.6.3 1080 "$dir/socks-proxy" "username"
        bash "$peers" scripted 127.0.6.4 "$dir/scripted" 80
        ;;
    stop)
        for peer in $all_peers; do bash "$peers" stop "$dir/$peer"; done
        ;;
    rendezvous) switch_rendezvous "$@" ;;
    *) echo "usage: $0 start|stop|rendezvous DIR [OPTIONS...]" >&2; exit 2 ;;
esac
