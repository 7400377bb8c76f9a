#!/usr/bin/env bash
# A rendezvous service as a publisher runs one: several stateless
# tarnwick-rendezvous processes behind HAProxy in TCP mode, which checks each
# server with a real hello and sends installers only to those that answer.
#
#   serve-cluster.sh start DIR [--servers N] [--front A.B.C.D] [--net A.B.C] [--program PATH]
#                    [-- SERVER OPTIONS...]
#   serve-cluster.sh stop DIR
#
# HAProxy listens on FRONT:16000 (default 127.0.8.10) and server i on
# NET.(10+i):16000 (NET default 127.0.8), all on this machine's loopback; N is
# 2 by default. The SERVER OPTIONS go to every server (a --config FILE, or
# --offer URL --version N and the like; the address is the script's). Each
# server keeps its pid and log in DIR/server-i, HAProxy its configuration, pid
# and output in DIR/haproxy. PROGRAM defaults to the linux-release build,
# which is made when missing. Stop one server with
# `bash tests/support/peers/peers.sh stop DIR/server-i`, or kill it by the pid
# in DIR/server-i/pid; HAProxy marks it down within a second and sends new
# installers to the others.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
peers=$root/tests/support/peers/peers.sh
action=${1:-}
dir=${2:-}
[ -n "$action" ] && [ -n "$dir" ] || { sed -n '2,19p' "$0" >&2; exit 2; }
shift 2

port_open() {  # address port
    (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

# The recorded pid is still our HAProxy: a pid may have been reused.
stop_haproxy() {
    local pid
    [ -f "$dir/haproxy/pid" ] || return 0
    pid=$(cat "$dir/haproxy/pid")
    if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF "$dir/haproxy/"; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.01; done
        kill -KILL "$pid" 2>/dev/null || true
        echo "cluster: stopped HAProxy (pid $pid)"
    fi
    rm -f "$dir/haproxy/pid"
}

stop_all() {
    stop_haproxy
    for server in "$dir"/server-*; do
        [ -d "$server" ] && bash "$peers" stop "$server" >/dev/null
    done
    return 0
}

# HAProxy's check is the start of a real exchange: a hello with challenge 0,
# answered by a challenge (84), or by service unavailable (54) or a redirect
# (3) when the server is configured to answer so.
write_haproxy_config() {  # front servers maxconn
    local front=$1 count=$2 maxconn=$3 i
    cat <<CONF
global
    maxconn $maxconn

defaults
    mode tcp
    timeout connect 1s
    timeout client 40s
    timeout server 40s
    # A connection that a server refuses (stopped, not yet marked down by
    # its checks) is tried again on another server.
    retries 3
    option redispatch 1

frontend rendezvous
    bind $front:16000
    maxconn $maxconn
    default_backend servers

backend servers
    balance roundrobin
    option tcp-check
    tcp-check connect
    tcp-check send-binary 000000b40000000c000000020000008600000000
    tcp-check expect rbinary ^000000(54|36|03)
CONF
    # Besides the checks, a server is marked down at its first refused or
    # broken connection (observe layer4), so that a stopped server costs only
    # the exchanges it had open.
    for ((i = 1; i <= count; i++)); do
        echo "    server s$i $net.$((10 + i)):16000 check inter 500ms fall 2 rise 2 observe layer4 error-limit 1 on-error mark-down"
    done
}

start() {
    local count=2 front=127.0.8.10 program=""
    net=127.0.8
    while (($#)); do
        case $1 in
            --servers) count=$2; shift 2 ;;
            --front) front=$2; shift 2 ;;
            --net) net=$2; shift 2 ;;
            --program) program=$2; shift 2 ;;
            --) shift; break ;;
            *) echo "cluster: unknown option $1" >&2; exit 2 ;;
        esac
    done
    command -v haproxy >/dev/null || bash "$root/scripts/setup.sh"
    if [ -z "$program" ]; then
        (cd "$root" && cmake --preset linux-release >/dev/null &&
            cmake --build --preset linux-release --target tarnwick-rendezvous >/dev/null)
        program=$root/build/linux-release/tools/tarnwick-rendezvous/tarnwick-rendezvous
    fi
    mkdir -p "$dir/haproxy"
    dir=$(cd "$dir" && pwd)
    stop_all  # whatever an earlier run left behind

    # Each connection through HAProxy holds two descriptors.
    ulimit -n "$(ulimit -Hn)"
    local maxconn=$((($(ulimit -n) - 100) / 2)) i
    for ((i = 1; i <= count; i++)); do
        bash "$peers" rendezvous "$dir/server-$i" "$program" "$@" --address "$net.$((10 + i))" >/dev/null
        echo "cluster: server $i on $net.$((10 + i)):16000 (pid $(cat "$dir/server-$i/pid"), log $dir/server-$i/log)"
    done

    if port_open "$front" 16000; then
        echo "cluster: $front:16000 is already taken" >&2
        exit 1
    fi
    write_haproxy_config "$front" "$count" "$maxconn" >"$dir/haproxy/haproxy.cfg"
    haproxy -db -f "$dir/haproxy/haproxy.cfg" </dev/null >"$dir/haproxy/out" 2>&1 &
    echo $! >"$dir/haproxy/pid"
    for _ in $(seq 1 500); do
        port_open "$front" 16000 && break
        kill -0 "$(cat "$dir/haproxy/pid")" 2>/dev/null || { cat "$dir/haproxy/out" >&2; exit 1; }
        sleep 0.01
    done
    echo "cluster: HAProxy on $front:16000 (pid $(cat "$dir/haproxy/pid"), configuration $dir/haproxy/haproxy.cfg)"
}

case $action in
    start) start "$@" ;;
    stop)
        dir=$(cd "$dir" 2>/dev/null && pwd) || exit 0
        stop_all
        ;;
    *) sed -n '2,19p' "$0" >&2; exit 2 ;;
esac
