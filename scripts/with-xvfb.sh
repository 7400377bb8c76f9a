#!/usr/bin/env bash
# with-xvfb.sh PROGRAM [ARGS...]
# Runs a program on a private Xvfb display picked free by the server itself,
# and stops the server afterwards. TARNWICK_DISPLAY_SIZE sets the screen.
set -euo pipefail
size=${TARNWICK_DISPLAY_SIZE:-1024x768x24}
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 20 display <"$fifo"
export DISPLAY=":$display"
"$@"
