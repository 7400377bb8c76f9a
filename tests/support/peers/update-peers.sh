#!/usr/bin/env bash
# update-peers.sh start|stop NETWORK DIR [RENDEZVOUS_PROGRAM]
# The peers of the update-run and package suites, on addresses NETWORK.x
# (127.0.3.x natively, 127.0.4.x for the Windows build under Wine), files
# under DIR:
#   .1        nginx on port 80, serving DIR/nginx/www (the tests put packages there)
#   .2, .3    scripted peers on port 80 for broken transfers: the update-run
#             suite's and the package suite's, so that both can run at once
#   .4        nginx with TLS on port 443, serving the same folder, with a
#             certificate for its address from a test CA made at start
#             (DIR/tls/ca.pem)
#   .10-.40   the reference rendezvous server, one scenario per address (below)
# The rendezvous server is native; a Windows build has none of its own, so it
# is compiled here when no program is given.
set -euo pipefail
peers=$(cd "$(dirname "$0")" && pwd)/peers.sh
action=$1 net=$2 dir=$3 program=${4:-}

stop_all() {
    for name in nginx tls scripted-update scripted-package rendezvous; do bash "$peers" stop "$dir/$name"; done
}

rendezvous_program() {
    if [ -n "$program" ]; then
        echo "$program"
    else
        bash "$peers" rendezvous-program "$dir"
    fi
}

write_scenarios() {
    local offer="--offer http://$net.1/e2e.bin --version 7"
    # 200 characters in all: "http://", the host, "/", then the name.
    local long="http://$net.1/$(printf 'u%.0s' $(seq 1 $((190 - ${#net}))))"
    cat >"$dir/rendezvous/scenarios" <<SCENARIOS
--address $net.10 $offer
--address $net.11 --skip 1 $offer
--address $net.12 --skip 2 $offer
--address $net.13 --redirect $net.10
--address $net.14 --redirect $net.10 --wrong-redirect-proof
--address $net.15 --answer 54
--address $net.16 --answer 124
--address $net.17 --answer 58
--address $net.18 --answer 78
--address $net.19 --wrong-proof $offer
--address $net.20 --hello-reply 124
--address $net.21 --hello-reply 58
--address $net.22 --hello-reply 78
--address $net.23 --final-reply 3
--address $net.24 --final-reply 54
--address $net.25 --final-reply 1
--address $net.26 --oversized
--address $net.27 --short-challenge
--address $net.28 --silent
--address $net.29 --redirect $net.13
--address $net.30 --offer $long --version 7
--address $net.31 --offer http://$net.2/e2e.bin --version 7
--address $net.33 --offer http://$net.1/missing.bin --version 7
--address $net.34 --final-reply 84
--address $net.35 --redirect $net.35
--address $net.36 --offer http://$net.1/e2e-signed.bin --version 7
--address $net.37 --offer https://$net.4/e2e.bin --version 7
SCENARIOS
    echo "$long" >"$dir/rendezvous/long-url"
}

start_tls() {
    local tls ec=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
    rm -rf "$dir/tls"
    mkdir -p "$dir/tls/tmp"
    tls=$(cd "$dir/tls" && pwd)
    openssl req -x509 "${ec[@]}" -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 2 -subj "/CN=Tarnwick test CA" \
        2>/dev/null
    openssl req "${ec[@]}" -keyout "$tls/server.key" -out "$tls/server.csr" -subj "/CN=$net.4" 2>/dev/null
    printf 'subjectAltName=IP:%s\n' "$net.4" >"$tls/server.ext"
    openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -days 2 \
        -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null
    cat >"$tls/nginx.conf" <<CONF
daemon off; user root; worker_processes 1; pid $tls/nginx.pid; error_log $tls/error.log;
events { worker_connections 64; }
http {
    access_log off; client_body_temp_path $tls/tmp; proxy_temp_path $tls/tmp;
    fastcgi_temp_path $tls/tmp; uwsgi_temp_path $tls/tmp; scgi_temp_path $tls/tmp;
    default_type application/octet-stream;
    server { listen $net.4:443 ssl; root $(cd "$dir/nginx/www" && pwd);
             ssl_certificate $tls/server.pem; ssl_certificate_key $tls/server.key; }
}
CONF
    bash "$peers" nginx-conf "$tls" "$net.4" 443
}

case $action in
    start)
        stop_all  # whatever a crashed run left behind
        mkdir -p "$dir/nginx/www" "$dir/rendezvous"
        bash "$peers" nginx "$net.1" "$dir/nginx"
        bash "$peers" scripted "$net.2" "$dir/scripted-update" 80
        bash "$peers" scripted "$net.3" "$dir/scripted-package" 80
        start_tls
        server=$(rendezvous_program)
        write_scenarios
        bash "$peers" rendezvous "$dir/rendezvous" "$server" --scenarios "$dir/rendezvous/scenarios"
        echo "update peers: started on $net.x"
        ;;
    stop) stop_all ;;
    *) echo "usage: $0 start|stop NETWORK DIR [RENDEZVOUS_PROGRAM]" >&2; exit 2 ;;
esac
