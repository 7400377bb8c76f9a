#!/usr/bin/env bash
# Download throughput of the HTTP client over TLS: a 256 MB file from a local
# nginx with TLS into memory, with HttpClient and with curl from the same
# server, alternating, RUNS times each. The certificate comes from a CA that
# openssl makes here, which both clients are told to trust.
#
#   bash bench/https-bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
web=127.0.1.202 size=$((256 * 1024 * 1024))
work=$PWD/build/bench-https
peers=tests/support/peers/peers.sh

cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target http-fetch >/dev/null
fetch=build/linux-release/tools/http-fetch/http-fetch

trap 'bash $peers stop "$work" >/dev/null' EXIT
bash $peers stop "$work" >/dev/null
mkdir -p "$work/www" "$work/tmp"
[ -f "$work/www/big.bin" ] || head -c "$size" /dev/urandom >"$work/www/big.bin"
cat "$work/www/big.bin" >/dev/null  # into the page cache
ec=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
openssl req -x509 "${ec[@]}" -keyout "$work/ca.key" -out "$work/ca.pem" -days 1 -subj "/CN=bench CA" 2>/dev/null
openssl req "${ec[@]}" -keyout "$work/server.key" -out "$work/server.csr" -subj "/CN=$web" 2>/dev/null
printf 'subjectAltName=IP:%s\n' "$web" >"$work/server.ext"
openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial -days 1 \
    -extfile "$work/server.ext" -out "$work/server.pem" 2>/dev/null
cat >"$work/nginx.conf" <<CONF
daemon off; user root; worker_processes 1; pid $work/nginx.pid; error_log $work/error.log;
events { worker_connections 64; }
http {
    access_log off; client_body_temp_path $work/tmp; proxy_temp_path $work/tmp;
    fastcgi_temp_path $work/tmp; uwsgi_temp_path $work/tmp; scgi_temp_path $work/tmp;
    default_type application/octet-stream; sendfile on;
    server { listen $web:443 ssl; root $work/www;
             ssl_certificate $work/server.pem; ssl_certificate_key $work/server.key; }
}
CONF
bash $peers nginx-conf "$work" "$web" 443 >/dev/null

url=https://$web/big.bin
curl_runs="" client_runs=""
for ((run = 1; run <= runs; run++)); do
    bps=$(curl -s -o /dev/null --cacert "$work/ca.pem" -w '%{speed_download}' "$url")
    curl_runs+=" $(awk -v b="$bps" 'BEGIN { printf "%.1f", b / 1e6 }')"
    # OpenSSL's default roots are read from SSL_CERT_FILE when it is set.
    client_runs+=" $(SSL_CERT_FILE=$work/ca.pem $fetch "$url" "$size" | awk '{ print $3 }')"
done

median() {
    tr ' ' '\n' | grep . | sort -n |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
curl_median=$(echo "$curl_runs" | median)
client_median=$(echo "$client_runs" | median)
echo "256 MB over TLS from nginx into memory, $runs runs each (MB/s; median, then every run)"
printf '  %-28s %8.1f   [%s ]\n' "curl -o /dev/null" "$curl_median" "$curl_runs"
printf '  %-28s %8.1f   ratio to curl %.2f   [%s ]\n' "HttpClient over TLS" "$client_median" \
    "$(awk -v a="$client_median" -v b="$curl_median" 'BEGIN { print a / b }')" "$client_runs"
