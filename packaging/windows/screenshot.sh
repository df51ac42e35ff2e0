#!/usr/bin/env bash
# screenshot.sh [OUTPUT.png] [IMAGE.bmp]: the Windows build under Wine on a
# virtual display, with IMAGE.bmp (default samples/landscape.bmp) opened
# through "Open Bmp" and Wine's open-file dialog, saved with its window
# frame to OUTPUT.png (default build/screenshot-windows.png). Wine draws the
# frame itself, as Windows would, rather than leaving it to the window
# manager. Needs no desktop; installs what it lacks, as the other scripts
# do.
set -eu
cd "$(dirname "$0")/../.."
output=$(realpath -m "${1:-build/screenshot-windows.png}")
image=$(realpath "${2:-samples/landscape.bmp}")

bash scripts/install-deps.sh screenshot-windows

cmake --preset windows >/dev/null
cmake --build build/windows --target varne varne_window_check >/dev/null

work=$(mktemp -d)
export WINEPREFIX=$PWD/build/windows/screenshot-prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_bin=$(command -v wine64 || command -v wine)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
pids=()
cleanup() {
  "$server" -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

. scripts/virtual_display.sh
start_virtual_display 97

# A prefix booted on a display, with Wine drawing the window frames. This
# Wine finds fonts-wine's Marlett only in the prefix's own font folder.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine_bin" wineboot --init </dev/null >/dev/null 2>&1
  "$server" -w
fi
cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
"$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
log=$work/window_check.log
"$wine_bin" build/windows/tests/varne_window_check.exe "$(windows_path "$PWD/build/windows/app/varne.exe")" \
  "$(windows_path "$image")" "$(windows_path "$work/taken")" >"$log" 2>/dev/null &
checker=$!
for _ in $(seq 600); do grep -q '^shown' "$log" 2>/dev/null && break; sleep 0.1; done
grep -q '^shown' "$log" || { cat "$log" >&2; exit 1; }
sleep 1  # the picture is painted after it is set

mkdir -p "$(dirname "$output")"
dialog=$(xdotool search --onlyvisible --name '^Varne$' | head -1)
import -window "$dialog" "$output"
touch "$work/taken"
wait "$checker" || { cat "$log" >&2; exit 1; }
echo "$output"
