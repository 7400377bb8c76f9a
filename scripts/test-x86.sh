#!/usr/bin/env bash
# Pakloom for 32-bit Windows hosts: builds the windows-x86 preset (MinGW-w64
# i686) and runs the extraction suite under 32-bit Wine against the engine's
# ia32 7z.dll. Installs the i686 compiler and 32-bit Wine (the i386
# architecture) when they are missing.
#
# Not part of the test command: 32-bit Wine makes every new Wine prefix
# slower to set up, and the main suites do not need it. Installing it makes
# prefixes made before unusable; scripts/wine-run.sh makes them anew.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh || exit 1
missing=()
for p in g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "test-x86: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || exit 1
fi

results=build/windows-x86/test-results
cmake --preset windows-x86 >/dev/null || exit 1
cmake --build --preset windows-x86 || exit 1
echo "== Pakloom's exports for x86"
i686-w64-mingw32-objdump -p build/windows-x86/pakloom/Pakloom.dll | sed -n '/Ordinal\/Name Pointer/,/^$/p'
rm -rf "$results"
status=0
ctest --preset windows-x86 --output-junit "$root/$results/ctest.xml" || status=1
WINEPREFIX=$root/build/windows-x86/wineprefix wineserver -k 2>/dev/null || true
python3 scripts/test-summary.py windows-x86 build/windows-x86 || status=1
exit "$status"
