#!/usr/bin/env bash
# Checks that every C and C++ source in the tree follows .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.c' '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if ((${#files[@]} == 0)); then exit 0; fi
clang-format --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files follow .clang-format"
