#!/usr/bin/env bash
# The rendezvous server under the load of many installers, measured with
# tarnwick-rendezvous-load on this machine (the generator shares its cores):
#   1. one server direct: CLIENTS clients at once, exchanges per second and
#      latency;
#   2. the same while IDLE connections sit open on it;
#   3. two servers behind HAProxy (scripts/serve-cluster.sh): CLIENTS clients;
#   4. the same, with server 1 killed (SIGKILL) half-way: the errors against
#      the exchanges it had open at that moment.
#
#   bash bench/rendezvous-load.sh [SECONDS] [CLIENTS] [IDLE]     (20, 1000, 10000)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-20} clients=${2:-1000} idle=${3:-10000}
net=127.0.8
direct=$net.20 front=$net.10
offer=http://$net.1/tarnwick/update.bin
work=$root/build/bench-rendezvous
peers=tests/support/peers/peers.sh

command -v haproxy >/dev/null || bash scripts/setup.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target tarnwick-rendezvous tarnwick-rendezvous-load >/dev/null
server=$root/build/linux-release/tools/tarnwick-rendezvous/tarnwick-rendezvous
load=$root/build/linux-release/tools/tarnwick-rendezvous-load/tarnwick-rendezvous-load
# The idle connections and the clients hold a descriptor each, on both sides.
ulimit -n "$(ulimit -Hn)"
if (($(ulimit -n) < idle + clients + 100)); then
    echo "bench: $idle idle connections and $clients clients need more descriptors than $(ulimit -n)" >&2
    exit 1
fi

cleanup() {
    bash $peers stop "$work/direct" >/dev/null
    bash scripts/serve-cluster.sh stop "$work/cluster" >/dev/null
}
trap cleanup EXIT
rm -rf "$work"
mkdir -p "$work/direct"

# The generator runs a loop per core, as the server does, so that neither
# side is held to one core.
threads=$(nproc)
run_load() {  # address, extra options...
    local address=$1
    shift
    "$load" --address "$address" --clients "$clients" --threads "$threads" --seconds "$seconds" --offer "$offer" \
        --version 7 "$@" |
        sed 's/^/    /'
}

echo "== One server, $clients clients for $seconds s (the generator on the same two cores)"
# The deadline outlasts the run, so that the idle connections stay.
cat >"$work/direct/server.conf" <<CONF
address = $direct
offer = $offer
version = 7
receive-timeout = $(((seconds + 30) * 1000))
log = $work/direct/exchanges.log
CONF
bash $peers rendezvous "$work/direct" "$server" --config "$work/direct/server.conf" >/dev/null
echo "  $server --config $work/direct/server.conf"
echo "  $load --address $direct --clients $clients --threads $threads --seconds $seconds --offer $offer --version 7"
run_load "$direct"

echo "== The same with $idle idle connections held open"
echo "  ... --idle $idle"
pid=$(cat "$work/direct/pid")
( sleep $((seconds / 2 + 2)); echo "    server descriptors at mid-run: $(ls /proc/"$pid"/fd | wc -l)" ) &
run_load "$direct" --idle "$idle"
wait
bash $peers stop "$work/direct" >/dev/null

echo "== Two servers behind HAProxy (TCP mode, health checks), $clients clients for $seconds s"
bash scripts/serve-cluster.sh start "$work/cluster" --front "$front" --net "$net" --program "$server" -- \
    --offer "$offer" --version 7 | sed 's/^/  /'
sleep 1.5  # HAProxy's first health checks
echo "  $load --address $front --clients $clients --threads $threads --seconds $seconds --offer $offer --version 7"
run_load "$front"

echo "== The same, server 1 killed after $((seconds / 2)) s"
run_load "$front" >"$work/killed.out" &
sleep $((seconds / 2))
victim=$(cat "$work/cluster/server-1/pid")
# The exchanges open on it: HAProxy's connections to its port.
open=$(ss -Htn state established "( dport = :16000 )" dst "$net.11" | wc -l)
kill -KILL "$victim"
wait %%
cat "$work/killed.out"
echo "    exchanges open on server 1 when it was killed: $open"
