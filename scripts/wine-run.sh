#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine, headless unless DISPLAY is set, in a
# prefix of its own (created once, then reused). One wineserver is kept alive
# for the prefix so that later starts take well under a second.
set -euo pipefail
prefix=$1
shift

# Wine's servers and services outlive the program and keep every descriptor
# they were started with. None of the caller's may leak to them, or whoever
# waits for the caller's pipes to close (CTest) waits for ever.
for fd in /proc/$$/fd/*; do
  fd=${fd##*/}
  if [ "$fd" -gt 2 ] 2>/dev/null; then eval "exec $fd>&-" 2>/dev/null || true; fi
done

# No menu entries or desktop files for the links that programs save: Wine's
# menu builder would put them among the machine's own.
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$(dirname "$prefix")"
{
  flock 9
  # A prefix serves the Wine it was made with: one made before 32-bit Wine
  # was installed (or removed) fails every program, so it is made anew.
  loaders=""
  for loader in wine wine64; do
    if [ -e "/usr/lib/wine/$loader" ]; then loaders+="$loader "; fi
  done
  if [ -f "$prefix/system.reg" ] && [ "$(cat "$prefix/.loaders" 2>/dev/null)" != "$loaders" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf -- "$prefix"
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    wineserver -w
    printf '%s' "$loaders" >"$prefix/.loaders"
  fi
  # Wine makes the user's Desktop, Documents and the like links to the home
  # folder of the machine, so that a test deleting a shortcut from the
  # desktop would delete it from the machine's home. Folders of the prefix's
  # own take their place (Wine makes the links again only when it updates
  # the prefix, after which the next run replaces them once more).
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f -- "$link" && mkdir -- "$link"; fi
  done
  # A persistent server; when one already runs for the prefix this returns at
  # once. Its output is detached from ours, so that whoever waits for this
  # run's pipes to close (CTest) does not wait for the server as well.
  wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
} 9>"$prefix.lock"

# The program's output goes through a file: processes that Wine starts on its
# behalf inherit that file instead of the caller's pipes.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
wine "$@" </dev/null >"$output" 2>&1 || status=$?
cat "$output"
exit "$status"
