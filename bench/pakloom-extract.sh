#!/usr/bin/env bash
# bench/pakloom-extract.sh [RUNS]
# Extraction speed of the library against 7-Zip's own front end, both driving
# the same engine (/usr/lib/p7zip/7z.so): a ~100 MB archive of mixed content,
# the two commands alternating, RUNS runs each (default 5). Prints every
# wall time, the means and the ratio pakloom-extract / 7z x.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
engine=/usr/lib/p7zip/7z.so

cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target pakloom-extract >/dev/null
tool=$PWD/build/linux-release/pakloom/pakloom-extract

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Mixed content: incompressible data, text, and many small files in folders.
mkdir -p "$work/src/small"
head -c 40000000 /dev/urandom >"$work/src/random.bin"
seq 1 7000000 >"$work/src/numbers.txt"
for d in $(seq 1 20); do
    mkdir -p "$work/src/small/$d"
    for f in $(seq 1 100); do head -c $((f * 97)) /dev/urandom | base64 >"$work/src/small/$d/$f.txt"; done
done
(cd "$work/src" && 7zz a -bso0 -bsp0 -mx=5 -mmt=2 ../bench.7z .)
echo "archive: $(du -h "$work/bench.7z" | cut -f1) packed, $(du -sh "$work/src" | cut -f1) unpacked"

now() { date +%s.%N; }
timed() {  # command... ; prints seconds
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }'
}

ours=()
theirs=()
for i in $(seq 1 "$runs"); do
    rm -rf "$work/a" "$work/b"
    ours+=("$(timed "$tool" "$engine" "$work/bench.7z" "$work/a")")
    theirs+=("$(timed 7z x -y -bso0 -bsp0 -o"$work/b" "$work/bench.7z")")
    printf 'run %d: pakloom-extract %.3f s   7z x %.3f s\n' "$i" "${ours[-1]}" "${theirs[-1]}"
done
diff -r "$work/a" "$work/src" >/dev/null && echo "pakloom-extract output matches the source"

mean() { printf '%s\n' "$@" | awk '{ s += $1 } END { printf "%.3f", s / NR }'; }
ours_mean=$(mean "${ours[@]}")
theirs_mean=$(mean "${theirs[@]}")
awk -v a="$ours_mean" -v b="$theirs_mean" \
    'BEGIN { printf "mean: pakloom-extract %.3f s, 7z x %.3f s, ratio %.3f\n", a, b, a / b }'
