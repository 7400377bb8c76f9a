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
#   tls          nginx with TLS on port 443, serving DIR/nginx/www, with
#                certificates made here by openssl: from the test CA
#                (DIR/tls/ca.pem) for its own address on .60, from a CA
#                nobody trusts on .61, for another address on .62, expired
#                on .63, and on .64 offering TLS 1.0 alone; the scripted peer
#                with TLS on .65 port 443 (DIR/tls-scripted). The certificates
#                name addresses, which every machine resolves alike; .60's
#                also names good.tarnwick.test and .62's other.tarnwick.test,
#                which DIR/tls/hosts maps for the suite's host-name run.
set -euo pipefail
peers=$(cd "$(dirname "$0")/../../support/peers" && pwd)/peers.sh
action=$1 peer=$2 net=$3 dir=$4

case $peer in
    nginx) folders=(nginx) ;;
    http-proxy) folders=(http-proxy-auth http-proxy-open) ;;
    dante) folders=(socks socks-auth) ;;
    scripted) folders=(scripted) ;;
    tls) folders=(tls tls-scripted) ;;
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
        echo "location = /redirect/to-https { return 302 https://$net.60/file.bin; }" >"$dir/nginx/https.locations"
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
    tls)
        tls=$dir/tls
        rm -rf "$tls"
        mkdir -p "$tls/tmp" "$dir/nginx/www"
        [ -f "$dir/nginx/www/file.bin" ] || head -c 300000 /dev/urandom >"$dir/nginx/www/file.bin"
        ec=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
        for ca in ca other-ca; do
            openssl req -x509 "${ec[@]}" -keyout "$tls/$ca.key" -out "$tls/$ca.pem" -days 2 \
                -subj "/CN=Tarnwick test $ca" 2>/dev/null
        done
        # certificate NAME CA ADDRESS DAYS [DNS NAME]
        certificate() {
            openssl req "${ec[@]}" -keyout "$tls/$1.key" -out "$tls/$1.csr" -subj "/CN=$3" 2>/dev/null
            printf 'subjectAltName=IP:%s%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" \
                "${5:+,DNS:$5}" >"$tls/$1.ext"
            openssl x509 -req -in "$tls/$1.csr" -CA "$tls/$2.pem" -CAkey "$tls/$2.key" -CAcreateserial \
                -days "$4" -extfile "$tls/$1.ext" -out "$tls/$1.pem" 2>/dev/null
        }
        certificate good ca "$net.60" 2 good.tarnwick.test
        certificate untrusted other-ca "$net.61" 2
        certificate wrong-host ca "$net.99" 2 other.tarnwick.test
        printf '127.0.0.1 localhost\n%s good.tarnwick.test\n%s misnamed.tarnwick.test\n' "$net.60" "$net.62" \
            >"$tls/hosts"
        certificate expired ca "$net.63" -1
        certificate old-protocol ca "$net.64" 2
        certificate scripted ca "$net.65" 2
        # server ADDRESS CERTIFICATE [DIRECTIVES]
        server() {
            echo "server { listen $1:443 ssl; root $dir/nginx/www; ssl_certificate $tls/$2.pem;"
            echo "  ssl_certificate_key $tls/$2.key; ${3:-}"
            echo "  location = /redirect/to-http { return 302 http://$net.10/file.bin; }"
            echo "  location = /redirect/to-https { return 302 https://$net.60/file.bin; } }"
        }
        {
            echo "daemon off; user root; worker_processes 1; pid $tls/nginx.pid; error_log $tls/error.log;"
            echo "events { worker_connections 64; }"
            echo "http { access_log off; client_body_temp_path $tls/tmp; proxy_temp_path $tls/tmp;"
            echo "  fastcgi_temp_path $tls/tmp; uwsgi_temp_path $tls/tmp; scgi_temp_path $tls/tmp;"
            echo "  default_type application/octet-stream;"
            server "$net.60" good
            server "$net.61" untrusted
            server "$net.62" wrong-host
            server "$net.63" expired
            server "$net.64" old-protocol "ssl_protocols TLSv1; ssl_ciphers DEFAULT@SECLEVEL=0;"
            echo "}"
        } >"$tls/nginx.conf"
        bash "$peers" nginx-conf "$tls" "$net.60" 443
        SCRIPTED_TLS_CERT=$tls/scripted.pem SCRIPTED_TLS_KEY=$tls/scripted.key \
            bash "$peers" scripted "$net.65" "$dir/tls-scripted" 443
        ;;
esac
