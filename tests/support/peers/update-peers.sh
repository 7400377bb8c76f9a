#!/usr/bin/env bash
# update-peers.sh start|stop NETWORK DIR [RENDEZVOUS_PROGRAM]
# The peers of the update-run and package suites, on addresses NETWORK.x
# (127.0.3.x natively, 127.0.4.x for the Windows build under Wine), files
# under DIR:
#   .1        nginx on port 80, serving DIR/nginx/www (the tests put packages there)
#   .2, .3    scripted peers on port 80 for broken transfers: the update-run
#             suite's and the package suite's, so that both can run at once
#   .10-.40   the reference rendezvous server, one scenario per address (below)
# The rendezvous server is native; a Windows build has none of its own, so it
# is compiled here when no program is given.
set -euo pipefail
peers=$(cd "$(dirname "$0")" && pwd)/peers.sh
action=$1 net=$2 dir=$3 program=${4:-}

stop_all() {
    for name in nginx scripted-update scripted-package rendezvous; do bash "$peers" stop "$dir/$name"; done
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
SCENARIOS
    echo "$long" >"$dir/rendezvous/long-url"
}

case $action in
    start)
        stop_all  # whatever a crashed run left behind
        mkdir -p "$dir/nginx/www" "$dir/rendezvous"
        bash "$peers" nginx "$net.1" "$dir/nginx"
        bash "$peers" scripted "$net.2" "$dir/scripted-update" 80
        bash "$peers" scripted "$net.3" "$dir/scripted-package" 80
        server=$(rendezvous_program)
        write_scenarios
        bash "$peers" rendezvous "$dir/rendezvous" "$server" --scenarios "$dir/rendezvous/scenarios"
        echo "update peers: started on $net.x"
        ;;
    stop) stop_all ;;
    *) echo "usage: $0 start|stop NETWORK DIR [RENDEZVOUS_PROGRAM]" >&2; exit 2 ;;
esac
