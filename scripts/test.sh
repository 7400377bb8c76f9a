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
    ctest --preset "$preset"
}

run_suite linux "Linux native" || failed=1
rm -rf build/windows/screenshots
run_suite windows "Windows under Wine" || failed=1
WINEPREFIX=$root/build/windows/wineprefix wineserver -k 2>/dev/null || true

# Totals from GoogleTest's reports: one line per suite, then the whole run.
passed_all=0
failed_all=0
echo "== Summary"
for preset in linux windows; do
    passed=0
    failures=0
    for report in build/$preset/test-results/*.xml; do
        [ -f "$report" ] || continue
        read -r tests fails errors < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="[0-9]*" errors="\([0-9]*\)".*/\1 \2 \3/p' "$report" | head -n 1)
        passed=$((passed + tests - fails - errors))
        failures=$((failures + fails + errors))
        printf '  %-8s %-40s %4d tests, %d failed\n' "$preset" "$(basename "$report" .xml)" "$tests" "$((fails + errors))"
    done
    echo "  $preset: $passed passed, $failures failed"
    passed_all=$((passed_all + passed))
    failed_all=$((failed_all + failures))
done
((failed_all > 0)) && failed=1
echo "$passed_all passed, $failed_all failed"
# The screenshots of the windows, for a person to look at.
screenshots=(build/windows/screenshots/*.png)
if [ -f "${screenshots[0]}" ]; then
    echo "== Screenshots"
    for shot in "${screenshots[@]}"; do echo "  $root/$shot"; done
fi

exit "$failed"
