#!/usr/bin/env bash
# The main job: installs what it needs, builds both targets, says where the
# outputs are, then shows Tarnwick.exe at work under Wine (scripts/demo.sh):
# on the display when there is one, otherwise headless with screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in linux-release windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

echo
echo "Outputs:"
find build/linux-release build/windows -maxdepth 3 -type f \
    \( -name '*.exe' -o -name '*.dll' -o -name '*.so' -o -perm -u+x \) \
    -not -path '*/CMakeFiles/*' -not -path '*/googletest/*' -not -path '*/engine/*' -not -path '*/wineprefix/*' \
    -not -name '*_tests*' 2>/dev/null | sort | sed 's/^/  /'

echo
bash scripts/demo.sh
