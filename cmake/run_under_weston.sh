#!/usr/bin/env bash
# run_under_weston.sh COMMAND [ARGS...]: runs one test command as a native
# Wayland client of a headless weston started for it alone, then stops that
# weston by its own process id. The dialog tests choose their Qt platform
# from VARNE_TEST_QPA_PLATFORM.
set -u
runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=varne-test-$$
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
  --no-config </dev/null >"$runtime/weston.log" 2>&1 &
compositor=$!
stop() {
  kill "$compositor" 2>/dev/null
  wait "$compositor" 2>/dev/null
  rm -rf "$runtime"
}
trap stop EXIT
for _ in $(seq 100); do [ -S "$runtime/$socket" ] && break; sleep 0.1; done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston did not start:" >&2
  cat "$runtime/weston.log" >&2
  exit 1
fi
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket VARNE_TEST_QPA_PLATFORM=wayland "$@"
