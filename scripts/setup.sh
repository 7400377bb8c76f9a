#!/usr/bin/env bash
# Installs everything the build, the tests and the demonstration need, from
# Debian's packages and the npm registry only. Safe to run again: it installs
# only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make git pkg-config clang-format
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick xdotool
  googletest libboost-dev libssl-dev openssl liblzma-dev lzma-dev xz-utils
  p7zip-full 7zip
  nginx-light tinyproxy dante-server haproxy curl hyperfine procps time python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# This kind of machine ships Node.js with its own npm; Debian's npm conflicts
# with that build, so it is only taken where no npm exists at all.
command -v npm >/dev/null || missing+=(nodejs npm)
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The packaged daemons must not keep running as services: the tests start
# their own instances on loopback addresses of their choosing. Each service
# is stopped through its own pid file only; tinyproxy's init script would
# stop every tinyproxy on the machine, those of running tests included.
for svc in nginx danted haproxy; do
  if command -v service >/dev/null && [ -e "/etc/init.d/$svc" ]; then
    service "$svc" stop >/dev/null 2>&1 || true
  fi
done
if [ -s /run/tinyproxy/tinyproxy.pid ]; then
  kill "$(cat /run/tinyproxy/tinyproxy.pid)" 2>/dev/null || true
  rm -f /run/tinyproxy/tinyproxy.pid
fi
echo "setup: dependencies present"
