#!/usr/bin/env bash
# render-icons.sh: renders Varne's icon from its one source,
# packaging/icons/varne.svg, into
#   packaging/icons/hicolor/<N>x<N>/apps/<app id>.png  for N = 16 32 48 64 128 256
#   packaging/icons/varne.ico  (16, 24, 32, 48, 64 and 256 px; the 256 px
#                               image stored as PNG, as Windows expects)
# The application id is read from VARNE_APP_ID in CMakeLists.txt.
#
# The renderings are committed, so building or packaging Varne needs none of
# the tools used here. Re-run this after every edit of the SVG and commit what
# it writes; on an unchanged SVG it changes no file (rsvg-convert writes no
# time stamps, and a file whose bytes come out the same is left untouched).
#
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils); installs them
# when they are missing, as the other scripts do.
set -eu
cd "$(dirname "$0")/.."

app_id=$(sed -n 's/^set(VARNE_APP_ID "\([^"]*\)")$/\1/p' CMakeLists.txt)
if [ -z "$app_id" ]; then
  echo "render-icons.sh: no VARNE_APP_ID line in CMakeLists.txt" >&2
  exit 1
fi

bash scripts/install-deps.sh icons

source_svg=packaging/icons/varne.svg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Replaces target only when the new bytes differ, so an unchanged icon keeps
# its files (and their times) as they were.
install_if_changed() {
  mkdir -p "$(dirname "$2")"
  cmp -s "$1" "$2" || cp "$1" "$2"
}

for size in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "$work/$size.png" "$source_svg"
done

for size in 16 32 48 64 128 256; do
  install_if_changed "$work/$size.png" \
    "packaging/icons/hicolor/${size}x${size}/apps/$app_id.png"
done

icotool --create --output "$work/varne.ico" \
  "$work/16.png" "$work/24.png" "$work/32.png" "$work/48.png" "$work/64.png" \
  --raw="$work/256.png"
install_if_changed "$work/varne.ico" packaging/icons/varne.ico
