#!/usr/bin/env bash
# One update run end to end over loopback, stage by stage, beside the same
# work done by standard tools in the same run:
#   package: ~5,000 files of 4 KB and 50 of ~2 MB (programs and text)
#   the run:  tarnwick-update against nginx and the reference rendezvous
#             server: download, unpack, install; peak memory
#   tools:    curl of the same package, 7zz decoding the same LZMA stream,
#             tar -x of the same tree
# Prints seconds per stage and the ratios the targets speak of. Then:
#   decoding behind the download: the same run with the package served at
#             full speed (decoded after the last byte, as a baseline, and
#             while it arrives) and rate-limited by nginx to 40 and 10 MB/s;
#             per mode the download, the time from the last body byte to the
#             end of decoding, the install and the total, as median (min-max)
#             of 3 runs. Each run is a new process, so each downloads into a
#             freshly allocated block, as a user's run does.
#   install vs tar -x: 5 runs each, alternating, medians, on BENCH_ROOT.
#
#   bash bench/update-e2e.sh
#   BENCH_ROOT=/dev/shm bash bench/update-e2e.sh
# BENCH_ROOT (default /tmp) holds the work folder and so everything both
# sides write. On a virtual machine's disk, writeback of earlier runs can
# swing the install and tar -x figures by several times; a memory file
# system compares the code alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target tarnwick-pack tarnwick-rendezvous tarnwick-update >/dev/null
tools=$root/build/linux-release/tools
work=$(mktemp -d "${BENCH_ROOT:-/tmp}/tarnwick-bench-e2e.XXXXXX")
peers=$root/tests/support/peers/peers.sh
# BENCH_KEEP=1 keeps the work folder for a closer look; the peers stop.
cleanup() {
    bash "$peers" stop "$work/nginx" >/dev/null || true
    bash "$peers" stop "$work/rendezvous" >/dev/null || true
    if [ -n "${BENCH_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

echo "== making the tree"
tree=$work/tree
mkdir -p "$tree"
set +o pipefail
texts=$(find /usr/share/doc /usr/include -type f -size +4k 2>/dev/null | sort | head -n 5000)
set -o pipefail
i=0
for text in $texts; do
    dir=$tree/d$((i / 100))
    mkdir -p "$dir"
    head -c 4096 "$text" >"$dir/f$i.txt"
    i=$((i + 1))
done
mkdir -p "$tree/bin"
n=0
for lib in $(find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +2M | sort | head -n 50); do
    head -c 2097152 "$lib" >"$tree/bin/lib$n.so"
    n=$((n + 1))
done
cp /bin/true "$tree/bin/client"
files=$(find "$tree" -type f | wc -l)
unpacked=$(du -sb "$tree" | cut -f1)

echo "== packing ($files files, $unpacked bytes)"
mkdir -p "$work/nginx/www"
"$tools/tarnwick-pack/tarnwick-pack" build "$tree" "$work/nginx/www/update.bin" --version 7 \
    --program 'bin\client' --level 1 --dictionary 8388608
(cd "$tree" && tar -cf "$work/tree.tar" .)
ls -l "$work/nginx/www"

bash "$peers" nginx 127.0.6.1 "$work/nginx" >/dev/null
bash "$peers" rendezvous "$work/rendezvous" "$tools/tarnwick-rendezvous/tarnwick-rendezvous" \
    --address 127.0.6.10 --offer http://127.0.6.1/update.bin --version 7 >/dev/null

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

echo "== the update run"
XDG_DATA_HOME=$work/appdata /usr/bin/time -f "peak %M KB" -o "$work/peak" \
    "$tools/tarnwick-update/tarnwick-update" --host 127.0.6.10 >"$work/run.log"
t_download=$(awk '/status: Downloading/ { print $1 }' "$work/run.log")
t_unpack=$(awk '/status: Decompressing/ { print $1 }' "$work/run.log")
t_install=$(awk '/status: Installing/ { print $1 }' "$work/run.log")
t_end=$(awk '/outcome:/ { print $1 }' "$work/run.log")
grep outcome "$work/run.log"
run_download=$(seconds "$t_download" "$t_unpack")
run_unpack=$(seconds "$t_unpack" "$t_install")
run_install=$(seconds "$t_install" "$t_end")
run_total=$(seconds 0 "$t_end")
peak_kb=$(sed 's/peak \([0-9]*\) KB/\1/' "$work/peak")

echo "== the same with curl, 7zz and tar"
mkdir -p "$work/tar-out"
a=$(now)
curl -s -o "$work/fetched.bin" http://127.0.6.1/update.bin
b=$(now)
# The package's packed part in the .lzma form that 7zz reads: the five
# property bytes, the unpacked size as 64 bits, the data.
size_le=$(od -An -tu4 -j4 -N4 --endian=big "$work/fetched.bin" | tr -d ' ')
packed_len=$(od -An -tu4 -j8 -N4 --endian=big "$work/fetched.bin" | tr -d ' ')
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
part() { dd if="$work/fetched.bin" iflag=skip_bytes,count_bytes skip="$1" count="$2" status=none; }
{ part 16 5; le32 "$size_le"; le32 0; part 21 $((packed_len - 5)); } >"$work/fetched.lzma"
b2=$(now)
7zz e -so "$work/fetched.lzma" >"$work/fetched.unpacked" 2>/dev/null
c=$(now)
tar -xf "$work/tree.tar" -C "$work/tar-out"
d=$(now)
tool_download=$(seconds "$a" "$b")
tool_unpack=$(seconds "$b2" "$c")
tool_install=$(seconds "$c" "$d")
[ "$(stat -c %s "$work/fetched.unpacked")" = "$size_le" ] || echo "7zz did not decode the stream" >&2
tool_total=$(awk -v a="$tool_download" -v b="$tool_unpack" -v c="$tool_install" 'BEGIN { printf "%.3f", a + b + c }')

packed=$(stat -c %s "$work/nginx/www/update.bin")
awk -v rd="$run_download" -v ru="$run_unpack" -v ri="$run_install" -v rt="$run_total" \
    -v td="$tool_download" -v tu="$tool_unpack" -v ti="$tool_install" -v tt="$tool_total" \
    -v peak="$peak_kb" -v packed="$packed" -v unpacked="$unpacked" 'BEGIN {
    printf "%-10s %10s %10s\n", "stage", "update run", "tools"
    printf "%-10s %9.3fs %9.3fs\n", "download", rd, td
    printf "%-10s %9.3fs %9.3fs\n", "unpack", ru, tu
    printf "%-10s %9.3fs %9.3fs\n", "install", ri, ti
    printf "%-10s %9.3fs %9.3fs   ratio %.2f (target <= 1.2)\n", "total", rt, tt, rt / tt
    printf "install vs tar -x: %.2f (target <= 1.0)\n", ri / ti
    budget = (packed + unpacked) / 1024 + 16384
    printf "peak memory %d KB; packed + unpacked + 16 MB = %d KB (%s)\n", peak, budget, peak <= budget ? "within" : "OVER"
}'

# The package also at 40 and 10 MB/s, each offered by a rendezvous server of
# its own.
cat >"$work/nginx/rate.locations" <<CONF
location /rate40/ { alias $work/nginx/www/; limit_rate 40m; }
location /rate10/ { alias $work/nginx/www/; limit_rate 10m; }
CONF
kill -HUP "$(cat "$work/nginx/pid")"
# Rendezvous servers on .11 and .12 offer the package at 40 and 10 MB/s.
server=11
for rate in 40 10; do
    bash "$peers" rendezvous "$work/rendezvous-$rate" "$tools/tarnwick-rendezvous/tarnwick-rendezvous" \
        --address 127.0.6.$server --offer "http://127.0.6.1/rate$rate/update.bin" --version 7 >/dev/null
    server=$((server + 1))
done
cleanup_rates() {
    for rate in 40 10; do bash "$peers" stop "$work/rendezvous-$rate" >/dev/null || true; done
    cleanup
}
trap cleanup_rates EXIT
sleep 0.5

# One run from scratch; appends "download tail install total" to $1.
stages() {  # file, tarnwick-update options...
    local out=$1
    shift
    rm -rf "$work/appdata"
    XDG_DATA_HOME=$work/appdata "$tools/tarnwick-update/tarnwick-update" "$@" >"$work/stage.log"
    grep -q "(installed)" "$work/stage.log" || { cat "$work/stage.log" >&2; exit 1; }
    awk '/status: Downloading/ { d = $1 }
         /progress: / && $3 == $5 && $3 > 0 { last = $1 }
         /status: Installing/ { i = $1 }
         /outcome:/ { e = $1 }
         END { printf "%.3f %.3f %.3f %.3f\n", last - d, i - last, e - i, e }' "$work/stage.log" >>"$out"
}
# median (min-max) of column $2 of file $1
spread() {
    sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { printf "%.3f (%.3f-%.3f)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

echo "== decoding behind the download (median (min-max) of 3 runs, seconds)"
printf "%-26s %-22s %-22s %-22s %s\n" mode download "last byte -> decoded" install total
for mode in "full speed, decoded after:10:--decode-after-download" "full speed, decoded behind:10:" \
    "40 MB/s, decoded behind:11:" "10 MB/s, decoded behind:12:"; do
    IFS=: read -r name server option <<<"$mode"
    file=$work/stages-$server$option
    : >"$file"
    for _ in 1 2 3; do stages "$file" --host "127.0.6.$server" $option; done
    printf "%-26s %-22s %-22s %-22s %s\n" "$name" "$(spread "$file" 1)" "$(spread "$file" 2)" \
        "$(spread "$file" 3)" "$(spread "$file" 4)"
done

# The install stage beside tar -x of the same tree, alternating.
echo "== install vs tar -x (5 runs each, alternating, medians)"
: >"$work/installs"
: >"$work/tars"
for _ in 1 2 3 4 5; do
    stages "$work/installs" --host 127.0.6.10
    rm -rf "$work/tar-out" && mkdir -p "$work/tar-out"
    a=$(now)
    tar -xf "$work/tree.tar" -C "$work/tar-out"
    b=$(now)
    seconds "$a" "$b" >>"$work/tars"
    echo >>"$work/tars"
done
install_median=$(spread "$work/installs" 3)
tar_median=$(spread "$work/tars" 1)
echo "install $install_median, tar -x $tar_median: ratio $(awk -v a="${install_median%% *}" -v b="${tar_median%% *}" 'BEGIN { printf "%.2f", a / b }') (target <= 1.0)"
