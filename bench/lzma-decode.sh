#!/usr/bin/env bash
# Raw LZMA1 decoding speed of a ~64 MB payload of binaries and text, with
# properties 93: the installer's decoder (the LZMA SDK's one-call decoder),
# liblzma's raw decoder, and 7zz on the same stream in .lzma form, all in the
# same run. Prints megabytes of output per second.
#
#   bash bench/lzma-decode.sh [SIZE_MB] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-64}
rounds=${2:-5}
work=$(mktemp -d /tmp/tarnwick-bench-lzma.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The payload: roughly two parts programs and libraries, one part text, as a
# client package holds them. head ends the readers early on purpose.
set +o pipefail
{
    find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +20k 2>/dev/null | sort | xargs cat 2>/dev/null \
        | head -c $((size_mb * 1024 * 1024 * 2 / 3))
    find /usr/share/doc /usr/share/common-licenses /usr/include -type f \( -name '*.h' -o -name 'copyright' -o -name '*.txt' \) \
        2>/dev/null | sort | xargs cat 2>/dev/null | head -c $((size_mb * 1024 * 1024 / 3))
} >"$work/payload"
set -o pipefail
bytes=$(stat -c %s "$work/payload")

# Raw LZMA1 with lc 3, lp 0, pb 2 (properties byte 93) and an 8 MB dictionary.
dict=$((8 * 1024 * 1024))
xz --format=raw --lzma1=preset=6,lc=3,lp=0,pb=2,dict=$dict --stdout "$work/payload" >"$work/raw"
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
{ printf '\x5d'; le32 $dict; cat "$work/raw"; } >"$work/packed"
# 7zz reads the .lzma form: the same five bytes, the size as 64 bits, the data.
{ printf '\x5d'; le32 $dict; le32 "$bytes"; le32 0; cat "$work/raw"; } >"$work/payload.lzma"

gcc -O2 -w -D_7ZIP_ST -c /usr/include/lzma/LzmaDec.c -o "$work/LzmaDec.o"
g++ -O2 -std=c++17 -I/usr/include/lzma bench/lzma_decode_bench.cpp "$work/LzmaDec.o" -llzma -o "$work/bench"
echo "payload: $bytes bytes, packed $(stat -c %s "$work/packed") bytes (properties 93)"
"$work/bench" "$work/packed" "$bytes" "$rounds"

best=
for _ in $(seq "$rounds"); do
    start=$(date +%s%N)
    7zz e -so "$work/payload.lzma" >/dev/null 2>&1
    took=$(($(date +%s%N) - start))
    if [ -z "$best" ] || ((took < best)); then best=$took; fi
done
awk -v bytes="$bytes" -v ns="$best" -v rounds="$rounds" \
    'BEGIN { printf "%-10s %8.1f MB/s  (best of %d: %.3f s, whole process)\n", "7zz", bytes / (ns / 1e9) / 1e6, rounds, ns / 1e9 }'
