#!/usr/bin/env bash
# Builds the fuzz harnesses (tests/fuzz) with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, runs each for SECONDS
# (default 60) one after the other, and prints per harness the executions and
# the findings. Exits non-zero when any harness found a crash, a leak, a
# timeout or undefined behaviour.
#
#   bash scripts/fuzz.sh [SECONDS] [HARNESS...]     (default: every harness)
#   FUZZ_RUNS=N bash scripts/fuzz.sh 3600 ...        stop each at N executions
#
# The seed corpora in tests/fuzz/corpus/<harness>/ are only read; the inputs
# a run adds go to build/fuzz/corpus/<harness>/ (kept between runs, so a
# later run starts from them), and the inputs that caused findings to
# build/fuzz/findings/<harness>/.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))

bash scripts/setup.sh >/dev/null || exit 1
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "fuzz: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || exit 1
fi

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=ON -DTARNWICK_FUZZ=ON -DTARNWICK_WERROR=OFF \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target fuzz_all || exit 1

if (($# > 0)); then
  harnesses=("$@")
else
  harnesses=()
  for folder in tests/fuzz/corpus/*/; do harnesses+=("$(basename "$folder")"); done
fi

# The install harness writes files for every input: a memory file system
# keeps that from being the slowest part.
scratch=$root/$build/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm/tarnwick-fuzz-$$
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

limits=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
[ -n "${FUZZ_RUNS:-}" ] && limits+=(-runs="$FUZZ_RUNS")

failed=0
summary=()
for name in "${harnesses[@]}"; do
  binary=$build/tests/fuzz/fuzz_$name
  seeds=tests/fuzz/corpus/$name
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "fuzz: no harness $name" >&2
    failed=1
    continue
  fi
  grown=$build/corpus/$name
  findings=$build/findings/$name
  log=$build/logs/$name.log
  mkdir -p "$grown" "$findings" "$(dirname "$log")"
  touch "$log.start"
  echo "== $name: fuzzing for up to ${seconds}s"
  TMPDIR=$scratch UBSAN_OPTIONS=print_stacktrace=1 \
    "$binary" "${limits[@]}" -artifact_prefix="$findings/" "$grown" "$seeds" >"$log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  found=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) -newer "$log.start" 2>/dev/null | wc -l)
  if ((status != 0)); then
    ((found == 0)) && found=1
    failed=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|fuzz harness:)' "$log" | head -n 5
  fi
  summary+=("$(printf '  %-20s %12s executions  %d findings' "$name" "${executions:-?}" "$found")")
done

echo "== Fuzzing summary (logs in $build/logs, findings in $build/findings)"
printf '%s\n' "${summary[@]}"
exit "$failed"
