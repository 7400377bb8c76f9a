#!/usr/bin/env bash
# make-archives.sh FOLDER
# Builds the archives the extraction tests read, with Debian's 7zz, once per
# build tree. Each archive's source files stay beside it for comparison.
set -euo pipefail
out=$1
[ -f "$out/.complete" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
pack() { 7zz a -bso0 -bsp0 "$@"; }

# Folders, an empty folder, an empty file, non-ASCII and non-BMP names.
mkdir -p tree/a/b tree/empty
printf 'hello\n' >tree/a/b/x.txt
: >tree/a/e.txt
printf 'unicode\n' >"tree/ü-😀.txt"
(cd tree && pack ../tree.7z .)

head -c 100 tree.7z >truncated.7z
printf 'not an archive\n' >plain.7z
(cd tree && pack -pSecret -mhe=on ../header-encrypted.7z . && pack -pSecret ../data-encrypted.7z .)

# -spf keeps the stored path as given: this item would land beside the
# destination folder, not in it.
mkdir -p escape/sub
printf 'outside\n' >escape/escape.txt
(cd escape/sub && pack -spf ../../escaping.7z ../escape.txt)

# An item path of over 300 characters, beyond the 260 of Windows' plain paths.
long=deep
for i in 1 2 3 4 5; do long="$long/$(printf "folder-$i-%.0s" {1..6})"; done
mkdir -p "$long"
printf 'far down\n' >"$long/item-of-a-long-path.txt"
pack long-path.7z "$long/item-of-a-long-path.txt"

# Names that Windows would not keep as named: a device, a stream of another
# file, a name it trims. One archive each, since the first refusal ends an
# extraction.
mkdir -p unsafe
for name in NUL 'a:b' 'x.'; do
  printf 'unsafe\n' >"unsafe/$name"
  (cd unsafe && pack "../unsafe-$(printf %s "$name" | tr -c 'a-zA-Z0-9' '_').7z" "./$name")
done

# 100 MB, half incompressible, in LZMA2 blocks of 4 MB that the engine may
# decode on several threads.
mkdir -p big
head -c 50000000 /dev/urandom >big/random.bin
seq 1 9000000 >big/text.txt
truncate -s 50000000 big/text.txt
(cd big && pack -mx=1 -mmt=2 -m0=lzma2:d=1m:c=4m ../big.7z .)

touch .complete
