#!/usr/bin/env bash
# run.sh: builds Varne for Linux and starts it.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake --preset linux >/dev/null
cmake --build build/linux --target varne
exec ./build/linux/app/varne
