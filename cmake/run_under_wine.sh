#!/usr/bin/env bash
# run_under_wine.sh PREFIX EXE [ARGS...]: runs one Windows test executable
# under Wine in its own prefix, on a virtual display when none is set.
# The Wine server is started here with its output detached, so it never
# holds CTest's pipes open after the test has ended.
set -u
prefix=$1; shift
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_bin=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -f "$prefix/system.reg" ]; then
  "$wine_bin" wineboot --init </dev/null >/dev/null 2>&1
fi
"$server" -p30 </dev/null >/dev/null 2>&1
run() { "$wine_bin" "$@"; }
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine_bin" "$@" </dev/null
else
  run "$@" </dev/null
fi
status=$?
"$server" -k </dev/null >/dev/null 2>&1
exit $status
