#!/usr/bin/env bash
# test.sh: builds and runs every suite: Linux (the dialog tests also on a
# headless Wayland compositor), Linux under ASan and UBSan, the arm64 build
# under qemu-user, the Windows build under Wine, the packages as
# scripts/package.sh makes them, and a short run of each fuzz target.
set -eu
cd "$(dirname "$0")/.."
# Whatever the caller's locale, or none (a fresh container, env -i, a
# service): Wine maps file names through the locale's character set, and
# the Windows suite makes folders with Greek names. Debian always has C.UTF-8.
export LC_ALL=C.UTF-8
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
# arm64, cross-built and run under qemu-user: the same suites, and every
# effect's pixels compared with the amd64 build's.
suite linux-arm64
echo "== the same pixels on arm64 =="
bash tests/tools/compare_effect_hashes.sh build/linux/tests/varne_effect_hashes \
  qemu-aarch64-static build/linux-arm64/tests/varne_effect_hashes || status=1
suite windows
echo "== packages =="
# Under a group-writable umask, which must not reach the package's modes.
if (umask 002 && bash scripts/package.sh); then
  for deb in dist/varne_*_amd64.deb dist/varne_*_arm64.deb; do
    bash tests/packaging/check_linux_package.sh "$deb" || status=1
  done
else
  status=1
fi
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz (short) =="
  bash scripts/fuzz.sh --short || status=1
fi
exit $status
