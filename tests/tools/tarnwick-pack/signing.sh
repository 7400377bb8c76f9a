#!/usr/bin/env bash
# tarnwick-pack build --sign and tarnwick-pack verify, with keys that openssl
# makes here: a package verifies with its own key only, in either private-key
# form openssl writes; a package altered anywhere, unsigned or signed with
# another key does not; openssl itself accepts the signature in the block.
set -euo pipefail
pack=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs tarnwick-pack expecting exit code $1 and output containing $2.
expect() {
    local code=$1 text=$2 out status=0
    shift 2
    out=$("$pack" "$@" 2>&1) || status=$?
    [ "$status" = "$code" ] || fail "tarnwick-pack $*: exit $status, not $code: $out"
    [[ $out == *"$text"* ]] || fail "tarnwick-pack $*: no \"$text\" in: $out"
}

openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out pkcs8.pem 2>/dev/null
openssl ecparam -name prime256v1 -genkey -noout -out sec1.pem
openssl ecparam -name secp384r1 -genkey -noout -out p384.pem
for key in pkcs8 sec1; do openssl pkey -in $key.pem -pubout -out $key.pub; done
mkdir source
head -c 20000 /dev/urandom >source/client.exe
printf 'publisher notes' >notes

expect 0 "signed for key id" build source signed.bin --version 3 --program client.exe --sign pkcs8.pem
expect 0 "signature valid" verify signed.bin pkcs8.pub
expect 1 "signed for another key" verify signed.bin sec1.pub
expect 0 "signed for key id" build source trailer.bin --version 3 --trailer notes --sign sec1.pem
expect 0 "signature valid" verify trailer.bin sec1.pub
expect 0 "trailer 91" list trailer.bin
expect 0 "" build source unsigned.bin --version 3
expect 1 "not signed" verify unsigned.bin pkcs8.pub

size=$(stat -c %s trailer.bin)
for at in 1 5 16 $((size / 2)) $((size - 77)) $((size - 60)) $((size - 1)); do
    python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[int(sys.argv[2])] ^= 1
open(sys.argv[3], "wb").write(b)' trailer.bin "$at" altered.bin
    status=0
    "$pack" verify altered.bin sec1.pub >/dev/null 2>&1 || status=$?
    [ "$status" = 1 ] || fail "a flipped byte at $at: exit $status"
done

expect 1 "p384.pem: the private key is not an ECDSA P-256 key" build source x.bin --version 3 --sign p384.pem
expect 1 "sec1.pub: no private key" build source x.bin --version 3 --sign sec1.pub
expect 1 "not a P-256 public key" verify signed.bin sec1.pem

# The block's r and s, in the DER form openssl reads, over every byte in
# front of the block.
python3 - signed.bin <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
block = data[-76:]
assert block[:4] == b"TWS1"
def integer(value):
    value = value.lstrip(b"\0") or b"\0"
    if value[0] & 0x80:
        value = b"\0" + value
    return bytes([2, len(value)]) + value
body = integer(block[12:44]) + integer(block[44:76])
open("signed.data", "wb").write(data[:-76])
open("signed.sig", "wb").write(bytes([0x30, len(body)]) + body)
PY
openssl dgst -sha256 -verify pkcs8.pub -signature signed.sig signed.data >/dev/null ||
    fail "openssl does not accept the block's signature"
echo "signing: all cases passed"
