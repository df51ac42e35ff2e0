#!/usr/bin/env bash
# run_under_wine.sh PREFIX EXE [ARGS...]: runs one Windows test executable
# under Wine in its own prefix, on a virtual display when none is set.
# The prefix is booted on that same display: a prefix first booted without
# one cannot create windows afterwards. The Wine server is started here with
# its output detached, so it never holds CTest's pipes open after the test.
set -u
if [ -z "${DISPLAY:-}" ] && [ -z "${VARNE_WINE_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  VARNE_WINE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
prefix=$1; shift
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine maps file names through the locale's character set: without a UTF-8
# locale, a path outside ASCII cannot be made.
export LC_ALL=C.UTF-8
wine_bin=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -f "$prefix/system.reg" ]; then
  "$wine_bin" wineboot --init </dev/null >/dev/null 2>&1
  "$server" -w </dev/null >/dev/null 2>&1
fi
"$server" -p30 </dev/null >/dev/null 2>&1
"$wine_bin" "$@" </dev/null
status=$?
"$server" -k </dev/null >/dev/null 2>&1
exit $status
