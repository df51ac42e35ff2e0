#!/usr/bin/env bash
# check_linux_package.sh DEB: checks the Debian package (amd64 or arm64) as
# a packager and a user would meet it, without installing it into the
# system: its control data, file list and modes, lintian, the hardening of
# its program, the desktop entry and metainfo validators, and the packaged
# program started from an extracted tree on a virtual display (an arm64 one
# through qemu-user), found by its title, closed with Alt+F4, and its exit
# status read.
set -u
deb=$(realpath "$1")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

id=$(sed -n 's/^set(VARNE_APP_ID "\(.*\)")$/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
version=$(sed -n 's/^project(Varne VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
arch=$(dpkg-deb --field "$deb" Architecture)
case "$arch" in
  amd64) emulator=() gcc=gcc ;;
  arm64) emulator=(qemu-aarch64-static) gcc=aarch64-linux-gnu-gcc ;;
  *) fail "architecture $arch"; emulator=() gcc=gcc ;;
esac
[ "$(basename "$deb")" = "varne_${version}_$arch.deb" ] || fail "file name $(basename "$deb")"

info=$(dpkg-deb --info "$deb")
for field in "Package: varne" "Version: $version" "Section: graphics"; do
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
# apt resolves the declared dependencies here (for arm64, on this machine's
# added arm64 architecture) without installing anything.
apt-get install --simulate --no-install-recommends "$deb" >/dev/null 2>&1 &&
  pass "apt resolves the dependencies" || fail "apt cannot resolve the dependencies"

# The same modes and owners whatever the umask the package was built under.
modes=$(dpkg-deb --contents "$deb" | awk '
  $2 != "root/root" { print "owner " $2 ": " $NF; next }
  $NF == "./usr/bin/varne" { if ($1 != "-rwxr-xr-x") print $1 " " $NF; next }
  $1 ~ /^d/ { if ($1 != "drwxr-xr-x") print $1 " " $NF; next }
  $1 != "-rw-r--r--" { print $1 " " $NF }')
members=$(ar tv "$deb" | awk '$1 != "rw-r--r--" || $2 != "0/0" { print $1 " " $2 " " $NF }')
[ -z "$members$modes" ] && pass "modes and owners" ||
  fail "unexpected modes or owners:"$'\n'"$members$modes"

# Errors and warnings fail; an accepted tag is overridden, with its reason,
# in the one file that lists them.
accepted=$(grep -oE '^[a-z0-9-]+' "$(dirname "$0")/lintian-overrides" | paste -sd,)
lintian_out=$(lintian --tag-display-limit 0 ${accepted:+--suppress-tags "$accepted"} "$deb" 2>/dev/null)
[ -n "$lintian_out" ] && echo "$lintian_out"
grep -q '^[EW]: ' <<<"$lintian_out" && fail "lintian reports errors or warnings" || pass "lintian"

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
# The distribution's hardening, read off the packaged (stripped) program:
# position-independent, full RELRO with immediate binding, the stack
# protector's and the fortified calls' checks linked in, and on x86 the
# control-flow protection notes. Stack-clash probes leave no mark to read.
elf=$(readelf -W --file-header --program-headers --dynamic --notes --dyn-syms "$root/usr/bin/varne")
hardening() {  # hardening WHAT PATTERN
  grep -qE "$2" <<<"$elf" && pass "hardening: $1" || fail "hardening: no $1"
}
hardening "position-independent executable" 'FLAGS_1.*\bPIE\b'
hardening "RELRO segment" '\bGNU_RELRO\b'
hardening "immediate binding" '\(FLAGS\).*\bBIND_NOW\b|FLAGS_1.*\bNOW\b'
hardening "stack protector" '\b__stack_chk_fail\b'
hardening "fortified libc calls" '\b__[a-z]+_chk\b'
# The linker keeps the control-flow note (x86's CET, arm64's BTI and PAC)
# only when every object has it, the C library's start files included:
# Debian 12's lack it, so no program linked there can carry it, however its
# own code was compiled.
case "$arch" in
  amd64) control_flow='x86 feature: IBT, SHSTK' ;;
  arm64) control_flow='AArch64 feature: BTI, PAC' ;;
esac
if readelf --notes "$($gcc -print-file-name=Scrt1.o)" 2>/dev/null | grep -q "$control_flow"; then
  hardening "control-flow protection ($control_flow)" "$control_flow"
else
  echo "skip: control-flow protection note: this system's $arch C start files carry none"
fi

exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ "$exec_line" = varne ] || fail "the menu entry runs '$exec_line', not varne"

# The menu entry's command, from the extracted tree.
. "$(dirname "$0")/../../scripts/virtual_display.sh"
start_virtual_display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"${emulator[@]}" "$root/usr/bin/$exec_line" &
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
  # A program under emulation may take the first key before it is ready
  # for it: the keys go again while it runs, for at most a minute.
  for _ in 1 2 3; do
    timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
    timeout 20 tail --pid="$program" -f /dev/null && break
  done
fi
# Never wait for ever: a program still running now is a failure.
kill "$program" 2>/dev/null && echo "the program did not end; ended it"
wait "$program"
status=$?
[ "$status" -eq 3 ] && pass "Alt+F4 ends it with exit status 3 (259 & 0xFF)" ||
  fail "exit status $status after Alt+F4, not 3"

echo "$failures failed"
[ "$failures" -eq 0 ]
