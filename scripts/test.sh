#!/usr/bin/env bash
# The test command: installs what it needs, checks the formatting, then
# builds and runs every suite natively (with sanitizers) and for Windows under
# Wine, and ends with the totals of both.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh || exit 1

failed=0
bash scripts/check-format.sh || failed=1

run_suite() {  # preset, title
    local preset=$1 title=$2 results=build/$1/test-results
    echo "== $title: build"
    cmake --preset "$preset" >/dev/null || return 1
    cmake --build --preset "$preset" || return 1
    rm -rf "$results"
    echo "== $title: tests"
    ctest --preset "$preset" --output-junit "$root/$results/ctest.xml"
}

run_suite linux "Linux native" || failed=1
rm -rf build/windows/screenshots
run_suite windows "Windows under Wine" || failed=1
for prefix in build/windows/wineprefix build/windows/wineprefix-144dpi; do
    WINEPREFIX=$root/$prefix wineserver -k 2>/dev/null || true
done

# Totals: one line per test program, then each build's and the whole run's.
echo "== Summary"
python3 scripts/test-summary.py linux build/linux windows build/windows || failed=1
# The screenshots of the windows, for a person to look at: on a display of
# 96 dpi, then the same windows at 144 dpi.
screenshots=(build/windows/screenshots/*.png build/windows/screenshots/144dpi/*.png)
shown=0
for shot in "${screenshots[@]}"; do
    [ -f "$shot" ] || continue
    [ "$shown" = 1 ] || echo "== Screenshots"
    shown=1
    echo "  $root/$shot"
done

exit "$failed"
