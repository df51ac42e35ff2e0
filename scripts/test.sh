#!/usr/bin/env bash
# test.sh: builds and runs every suite: Linux (the dialog tests also on a
# headless Wayland compositor), Linux under ASan and UBSan, the Windows build
# under Wine, the packages as scripts/package.sh makes them, and a short run
# of each fuzz target.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

jobs=$(nproc)
status=0
suite() {
  local preset=$1
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j "$jobs"
  ctest --test-dir "build/$preset" --output-on-failure -j 1 || status=1
}

suite linux
# Leak checking is part of the sanitizer run; the Qt offscreen platform
# keeps a few process-lifetime allocations that are not ours.
ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  suite sanitize
suite windows
echo "== packages =="
if bash scripts/package.sh; then
  bash tests/packaging/check_linux_package.sh dist/varne_*_amd64.deb || status=1
else
  status=1
fi
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz (short) =="
  bash scripts/fuzz.sh --short || status=1
fi
exit $status
