#!/usr/bin/env bash
# run.sh: builds Varne for Linux and starts it. Needs only the program's own
# packages: the test suites are configured by scripts/test.sh.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake --preset app >/dev/null
cmake --build build/app --target varne
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: Varne is built (build/app/app/varne) but there is no display to show it on." >&2
  echo "Run it from a desktop session, or on a virtual display (Debian package xvfb): xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec ./build/app/app/varne
