#!/usr/bin/env bash
# The fault soak: complete update runs of tarnwick-update against nginx behind
# a proxy that breaks responses at random (cut, reset, stall, slow drip,
# garbage head, another body on resume), with checks after every run.
#
#   bash scripts/soak.sh [RUNS] [SEED]     (defaults: 200 runs, seed 1)
#
# Not part of the test command: 200 runs take a few minutes. The tools are
# built with the sanitizers (preset linux), so that a fault that reaches
# undefined behaviour is reported too. Prints the runs, the faults by kind,
# the longest run and every problem; exits 1 when there was one.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}
seed=${2:-1}
bash scripts/setup.sh >/dev/null
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarnwick-pack tarnwick-rendezvous tarnwick-update >/dev/null
exec python3 scripts/soak.py "$PWD/build/linux/tools" "$PWD/build/soak" "$runs" "$seed"
