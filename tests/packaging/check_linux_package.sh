#!/usr/bin/env bash
# check_linux_package.sh DEB: checks the Debian package as a packager and a
# user would meet it, without installing it into the system: its control
# data and file list, lintian, the desktop entry and metainfo validators,
# and the packaged program started from an extracted tree on a virtual
# display, found by its title, closed with Alt+F4, and its exit status read.
set -u
deb=$(realpath "$1")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

id=$(sed -n 's/^set(VARNE_APP_ID "\(.*\)")$/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
version=$(sed -n 's/^project(Varne VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ "$(basename "$deb")" = "varne_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"

info=$(dpkg-deb --info "$deb")
for field in "Package: varne" "Version: $version" "Section: graphics" "Architecture: amd64"; do
  grep -q "^ $field\$" <<<"$info" || fail "control lacks '$field'"
done
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for needed in libqt6gui6 libqt6widgets6 qt6-wayland; do
  grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for path in ./usr/bin/varne "./usr/share/applications/$id.desktop" \
  "./usr/share/metainfo/$id.metainfo.xml" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
  ./usr/share/doc/varne/copyright ./usr/share/man/man1/varne.1.gz; do
  grep -qxF "$path" <<<"$contents" || fail "package lacks $path"
done
for size in 16 32 48 64 128 256; do
  grep -qxF "./usr/share/icons/hicolor/${size}x$size/apps/$id.png" <<<"$contents" ||
    fail "package lacks the ${size} px icon"
done
pass "control data and file list"

# Errors fail; warnings are printed for a person to weigh.
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null)
[ -n "$lintian_out" ] && echo "$lintian_out"
grep -q '^E: ' <<<"$lintian_out" && fail "lintian reports errors" || pass "lintian"

root=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$root"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" && pass "desktop-file-validate" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null &&
  pass "appstreamcli validate" || fail "appstreamcli validate"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ "$exec_line" = varne ] || fail "the menu entry runs '$exec_line', not varne"

# The menu entry's command, from the extracted tree.
. "$(dirname "$0")/../../scripts/virtual_display.sh"
start_virtual_display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"$root/usr/bin/$exec_line" &
program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Varne$' | head -1)
if [ -z "$window" ]; then
  fail "no window titled Varne appeared"
  kill "$program" 2>/dev/null
else
  pass "the packaged program shows its window"
  # X11 docks match a window to its menu entry by WM_CLASS.
  wm_class=$(xprop -id "$window" WM_CLASS 2>/dev/null | sed -n 's/.*", "\(.*\)"$/\1/p')
  startup_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
  [ -n "$wm_class" ] && [ "$wm_class" = "$startup_class" ] && pass "the window matches its menu entry" ||
    fail "the window's class is '$wm_class', the menu entry's '$startup_class'"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  xdotool key --clearmodifiers alt+F4
fi
timeout 20 tail --pid="$program" -f /dev/null
wait "$program"
status=$?
[ "$status" -eq 3 ] && pass "Alt+F4 ends it with exit status 3 (259 & 0xFF)" ||
  fail "exit status $status after Alt+F4, not 3"

echo "$failures failed"
[ "$failures" -eq 0 ]
