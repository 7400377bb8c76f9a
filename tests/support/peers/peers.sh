#!/usr/bin/env bash
# Real network peers for the tests: each is started as a child of the caller
# on a loopback address of the caller's choosing, with its configuration,
# logs and pid file in a folder of its own, and stopped by that pid alone.
#
#   peers.sh nginx     ADDRESS DIR [ADDRESS...]   web server on port 80, serving DIR/www
#   peers.sh nginx-conf DIR ADDRESS PORT          nginx with the configuration DIR/nginx.conf
#                      that the caller wrote, ready once ADDRESS:PORT accepts
#   peers.sh tinyproxy ADDRESS PORT DIR [USER PASS] HTTP proxy, with Basic auth when given
#   peers.sh dante     ADDRESS PORT DIR METHODS [BLOCKED]  SOCKS 4/5 proxy; METHODS as danted's
#                      socksmethod ("none username", "username"); BLOCKED an address it refuses.
#                      It connects onwards from its own ADDRESS, so a web server can tell
#                      the requests it relayed.
#   peers.sh scripted  ADDRESS DIR PORT...         the scripted peer (scripted-peer.py)
#   peers.sh fault-proxy ADDRESS DIR UPSTREAM      on port 80, relays to UPSTREAM:80 and breaks
#                      the responses as DIR/fault says (fault-proxy.py)
#   peers.sh rendezvous DIR PROGRAM OPTION...      the reference rendezvous server PROGRAM with
#                      these options (tarnwick-rendezvous's), its log in DIR/log
#   peers.sh rendezvous-program DIR                builds the server natively in DIR when its
#                      sources are newer, and prints its path (a Windows build has none)
#   peers.sh stop      DIR                          stops the peer whose pid file is in DIR
#   peers.sh account   USER PASS                    a system account for SOCKS user checks
#
# A peer is only started when its port is free (a stale one would answer in
# its place), and the command returns once the port accepts connections
# (the rendezvous server: once it says it is ready).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

port_open() {  # address port
    (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

require_free() {  # address port
    if port_open "$1" "$2"; then
        echo "peers: $1:$2 is already taken" >&2
        exit 1
    fi
}

# Running and not a zombie: a peer whose launcher has exited is reaped by
# whoever adopted it, which may take its time or never happen.
alive() {  # pid
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

wait_for_port() {  # address port pid
    for _ in $(seq 1 1500); do
        port_open "$1" "$2" && return 0
        alive "$3" || { echo "peers: peer for $1:$2 died" >&2; return 1; }
        sleep 0.01
    done
    echo "peers: $1:$2 did not open" >&2
    return 1
}

launch() {  # dir name command... ; starts in the background, records the pid
    local dir=$1 name=$2
    shift 2
    "$@" </dev/null >"$dir/$name.out" 2>&1 &
    echo $! >"$dir/pid"
    echo "peers: started $name (pid $!) in $dir"
}

start_nginx() {
    local address=$1 dir=$2
    shift 2
    mkdir -p "$dir/www" "$dir/tmp"
    dir=$(cd "$dir" && pwd)
    local listens="listen $address:80;"
    for extra in "$@"; do listens+=" listen $extra:80;"; done
    require_free "$address" 80
    cat >"$dir/nginx.conf" <<CONF
daemon off;
user root;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
    access_log off;
    client_body_temp_path $dir/tmp;
    proxy_temp_path $dir/tmp;
    fastcgi_temp_path $dir/tmp;
    uwsgi_temp_path $dir/tmp;
    scgi_temp_path $dir/tmp;
    default_type application/octet-stream;
    sendfile on;
    server {
        $listens
        root $dir/www;
        location /chunked/ {
            alias $dir/www/;
            sub_filter_types *;
            sub_filter '@@never@@' '';
        }
        location = /redirect/301 { return 301 http://\$server_addr/file.bin; }
        location = /redirect/302 { return 302 http://\$server_addr/file.bin; }
        location = /redirect/303 { return 303 http://\$server_addr/file.bin; }
        location = /redirect/307 { return 307 http://\$server_addr/file.bin; }
        location = /redirect/twice { return 302 http://\$server_addr/redirect/302; }
        location = /redirect/relative { absolute_redirect off; return 302 /file.bin; }
        location = /redirect/https { return 302 https://\$server_addr/file.bin; }
        include $dir/*.locations;
    }
}
CONF
    launch "$dir" nginx nginx -c "$dir/nginx.conf"
    wait_for_port "$address" 80 "$(cat "$dir/pid")"
}

start_nginx_conf() {
    local dir=$1 address=$2 port=$3
    dir=$(cd "$dir" && pwd)
    require_free "$address" "$port"
    launch "$dir" nginx nginx -c "$dir/nginx.conf"
    wait_for_port "$address" "$port" "$(cat "$dir/pid")"
}

start_tinyproxy() {
    local address=$1 port=$2 dir=$3 user=${4:-} pass=${5:-}
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    require_free "$address" "$port"
    {
        echo "Port $port"
        echo "Listen $address"
        echo "Timeout 60"
        echo "MaxClients 32"
        echo "LogLevel Warning"
        echo "LogFile \"$dir/tinyproxy.log\""
        [ -n "$user" ] && echo "BasicAuth $user $pass"
    } >"$dir/tinyproxy.conf"
    # A private copy of the program: the packaged service's stop command
    # stops every process of /usr/bin/tinyproxy on the machine.
    cp "$(command -v tinyproxy)" "$dir/tinyproxy"
    launch "$dir" tinyproxy "$dir/tinyproxy" -d -c "$dir/tinyproxy.conf"
    wait_for_port "$address" "$port" "$(cat "$dir/pid")"
}

start_dante() {
    local address=$1 port=$2 dir=$3 methods=$4 blocked=${5:-}
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    require_free "$address" "$port"
    {
        echo "logoutput: $dir/danted.log"
        echo "internal: $address port = $port"
        echo "external: $address"
        echo "clientmethod: none"
        echo "socksmethod: $methods"
        echo "user.privileged: root"
        echo "user.unprivileged: root"
        echo "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }"
        [ -n "$blocked" ] && echo "socks block { from: 0.0.0.0/0 to: $blocked/32 }"
        echo "socks pass { from: 0.0.0.0/0 to: 0.0.0.0/0 }"
    } >"$dir/danted.conf"
    launch "$dir" danted danted -f "$dir/danted.conf" -p "$dir/danted.pid"
    wait_for_port "$address" "$port" "$(cat "$dir/pid")"
}

start_scripted() {
    local address=$1 dir=$2
    shift 2
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    for port in "$@"; do require_free "$address" "$port"; done
    launch "$dir" scripted python3 -u "$here/scripted-peer.py" "$address" "$dir" "$@"
    for port in "$@"; do wait_for_port "$address" "$port" "$(cat "$dir/pid")"; done
}

start_fault_proxy() {
    local address=$1 dir=$2 upstream=$3
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    require_free "$address" 80
    launch "$dir" fault-proxy python3 -u "$here/fault-proxy.py" "$address" 80 "$upstream" 80 "$dir"
    wait_for_port "$address" 80 "$(cat "$dir/pid")"
}

start_rendezvous() {
    local dir=$1 program=$2
    shift 2
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    rm -f "$dir/log"
    # The log named on the command line lets stop recognise the process.
    launch "$dir" rendezvous "$program" --log "$dir/log" "$@"
    local pid
    pid=$(cat "$dir/pid")
    # It binds every address of its scenarios before it says "ready".
    for _ in $(seq 1 500); do
        grep -qs '^ready' "$dir/log" && return 0
        alive "$pid" || break
        sleep 0.01
    done
    echo "peers: the rendezvous server in $dir did not start" >&2
    cat "$dir/rendezvous.out" >&2
    return 1
}

build_rendezvous() {
    local source_dir built
    source_dir=$(cd "$here/../../.." && pwd)
    mkdir -p "$1"
    built=$(cd "$1" && pwd)/tarnwick-rendezvous
    local sources=("$source_dir"/tools/tarnwick-rendezvous/*.cpp "$source_dir"/installer/core/RendezvousMessage.cpp)
    if [ ! -x "$built" ] || [ -n "$(find "${sources[@]}" -newer "$built")" ]; then
        g++ -O2 -std=c++20 -I"$source_dir" "${sources[@]}" -pthread -o "$built"
    fi
    echo "$built"
}

# The recorded pid is still our peer: pids are reused, and a peer that died
# by itself must not take an unrelated process with it when it is stopped.
is_peer() {  # pid dir
    alive "$1" && tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null | grep -qF "$2"
}

stop_peer() {
    local dir pid
    dir=$(cd "$1" 2>/dev/null && pwd) || return 0
    [ -f "$dir/pid" ] || return 0
    pid=$(cat "$dir/pid")
    if is_peer "$pid" "$dir" && kill "$pid" 2>/dev/null; then
        for _ in $(seq 1 200); do
            alive "$pid" || break
            sleep 0.01
        done
        kill -KILL "$pid" 2>/dev/null || true
        echo "peers: stopped pid $pid ($dir)"
    fi
    rm -f "$dir/pid"
}

add_account() {
    local user=$1 pass=$2
    # Suites that start at once may both ask for the account; the password
    # files take one writer at a time, so the second would fail.
    exec 8>/tmp/tarnwick-peers-account.lock
    flock 8
    id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user"
    echo "$user:$pass" | chpasswd
    exec 8>&-
}

command=${1:-}
shift || true
case $command in
    nginx) start_nginx "$@" ;;
    nginx-conf) start_nginx_conf "$@" ;;
    tinyproxy) start_tinyproxy "$@" ;;
    dante) start_dante "$@" ;;
    scripted) start_scripted "$@" ;;
    fault-proxy) start_fault_proxy "$@" ;;
    rendezvous) start_rendezvous "$@" ;;
    rendezvous-program) build_rendezvous "$@" ;;
    stop) stop_peer "$@" ;;
    account) add_account "$@" ;;
    *) sed -n '2,24p' "$0" >&2; exit 2 ;;
esac
