#!/usr/bin/env bash
# screenshot.sh [OUTPUT.png] [IMAGE.bmp]: starts Varne on a virtual display,
# opens IMAGE.bmp through the real file dialog (as a person would: Enter on
# the focused "Open Bmp", then the path typed into the dialog) and saves a
# picture of the dialog, window frame included, to OUTPUT.png
# (default build/screenshot.png). Without IMAGE.bmp it makes a photo-like
# test picture. Needs no desktop; installs what it lacks, as the other
# scripts do.
set -eu
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-build/screenshot.png}")
image=${2:-}

bash scripts/install-deps.sh screenshot

cmake --preset app >/dev/null
cmake --build build/app --target varne >/dev/null

work=$(mktemp -d)
if [ -z "$image" ]; then
  image=$work/picture.bmp
  convert -size 360x240 -seed 7 plasma:fractal -blur 0x2 "BMP3:$image"
fi
image=$(realpath "$image")

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

. scripts/virtual_display.sh
start_virtual_display 97

# Qt's own file dialog: the same on every machine, whatever the desktop.
QT_QPA_PLATFORMTHEME= ./build/app/app/varne &
pids+=($!)
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Varne$' | head -1)
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool key --window "$dialog" Return
chooser=$(timeout 20 xdotool search --sync --onlyvisible --name '^Open file$' | head -1)
xdotool windowactivate --sync "$chooser" 2>/dev/null || true
xdotool windowfocus --sync "$chooser" 2>/dev/null || true
sleep 1
xdotool type --delay 20 "$image"
xdotool key Return
sleep 1.5

mkdir -p "$(dirname "$output")"
# The dialog with its frame: the window manager's parent of the dialog.
frame=$(xwininfo -tree -id "$dialog" | sed -n 's/^  Parent window id: \(0x[0-9a-f]*\).*/\1/p')
root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
[ "$frame" = "$root" ] && frame=  # no window manager: the dialog alone
import -window "${frame:-$dialog}" "$output"
echo "$output"
