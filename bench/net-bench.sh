#!/usr/bin/env bash
# Download throughput of the HTTP client: a 256 MB file from a local nginx
# into memory, directly and through a SOCKS 5 proxy (dante), against curl and
# a bare blocking client from the same server, alternating, RUNS times each.
# Through the proxy the relay sets the pace, so curl is measured there too.
#
#   bash bench/net-bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
net=127.0.1
web=$net.200 socks=$net.201 size=$((256 * 1024 * 1024))
work=$PWD/build/bench-net
peers=tests/support/peers/peers.sh

cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target http-fetch >/dev/null
fetch=build/linux-release/tools/http-fetch/http-fetch

cleanup() {
    bash $peers stop "$work/nginx" >/dev/null
    bash $peers stop "$work/socks" >/dev/null
}
trap cleanup EXIT
mkdir -p "$work/nginx/www"
[ -f "$work/nginx/www/big.bin" ] || head -c "$size" /dev/urandom >"$work/nginx/www/big.bin"
cat "$work/nginx/www/big.bin" >/dev/null  # into the page cache
cleanup
bash $peers nginx "$web" "$work/nginx" >/dev/null
bash $peers dante "$socks" 1080 "$work/socks" "none" >/dev/null

url=http://$web/big.bin
declare -A total
for kind in curl curl-socks client socks bare; do total[$kind]=""; done
for ((run = 1; run <= runs; run++)); do
    curl_bps=$(curl -s -o /dev/null -w '%{speed_download}' "$url")
    total[curl]+=" $(awk -v b="$curl_bps" 'BEGIN { printf "%.1f", b / 1e6 }')"
    curl_bps=$(curl -s -o /dev/null -w '%{speed_download}' --socks5 "$socks:1080" "$url")
    total[curl-socks]+=" $(awk -v b="$curl_bps" 'BEGIN { printf "%.1f", b / 1e6 }')"
    total[client]+=" $($fetch "$url" "$size" | awk '{ print $3 }')"
    total[socks]+=" $($fetch "$url" "$size" socks5 "$socks" 1080 | awk '{ print $3 }')"
    total[bare]+=" $($fetch --bare "$web" /big.bin "$size" | awk '{ print $3 }')"
done

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
curl_median=$(echo "${total[curl]}" | median)
curl_socks_median=$(echo "${total[curl-socks]}" | median)
bare_median=$(echo "${total[bare]}" | median)
echo "256 MB from nginx into memory, $runs runs each (MB/s; median, then every run)"
for kind in curl bare client curl-socks socks; do
    m=$(echo "${total[$kind]}" | median)
    # Each is compared with curl on the same path.
    reference=$curl_median
    case $kind in curl-socks | socks) reference=$curl_socks_median ;; esac
    printf '  %-28s %8.1f   ratio to curl %.2f   to bare %.2f   [%s ]\n' \
        "$(case $kind in curl) echo "curl -o /dev/null" ;; bare) echo "bare blocking client" ;;
           client) echo "HttpClient direct" ;; curl-socks) echo "curl via SOCKS 5" ;;
           socks) echo "HttpClient via SOCKS 5" ;; esac)" \
        "$m" "$(awk -v a="$m" -v b="$reference" 'BEGIN { print a / b }')" \
        "$(awk -v a="$m" -v b="$bare_median" 'BEGIN { print a / b }')" "${total[$kind]}"
done
