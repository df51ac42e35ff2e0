#!/usr/bin/env bash
# check_clean_install.sh DEB: proves that the package declares everything
# it needs. Makes a minimal Debian 12 root with debootstrap, installs the
# package there with apt (which brings exactly its declared dependencies),
# and starts the menu entry's command inside that root on a virtual display
# served from outside it, so no display package can mask a missing library.
# Needs root and the network to Debian's archive (the mirror this machine's
# apt uses); takes a few minutes. Not part of the test command: it installs
# into a root of its own, which CI has no business making.
set -eu
deb=$(realpath "$1")
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list)
for tool in debootstrap Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

root=$(mktemp -d /var/tmp/varne-clean-root.XXXXXX)
display_number=80
while [ -e "/tmp/.X11-unix/X$display_number" ]; do display_number=$((display_number + 1)); done
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  for mount in tmp/.X11-unix dev proc; do umount "$root/$mount" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT

debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -20 "$root.log"; exit 1; }
rm -f "$root.log"
cp "$deb" "$root/tmp/"
mount --bind /proc "$root/proc"
mount --bind /dev "$root/dev"
chroot "$root" apt-get update -qq
DEBIAN_FRONTEND=noninteractive chroot "$root" \
  apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >/dev/null
echo "installed: $(chroot "$root" dpkg-query -W -f='${Package} ${Version}' varne)"
echo "packages in the root: $(chroot "$root" dpkg-query -W | wc -l)"

Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display_number" ] && break; sleep 0.1; done
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop)
chroot "$root" env -i DISPLAY=":$display_number" PATH=/usr/bin:/bin HOME=/root "$exec_line" &
program=$!
window=$(DISPLAY=":$display_number" timeout 20 xdotool search --sync --onlyvisible --name '^Varne$' | head -1)
[ -n "$window" ] || { echo "FAIL: no window titled Varne in the clean root"; kill "$program"; exit 1; }
echo "ok: '$exec_line' shows its window in the clean root"
kill "$program"
wait "$program" 2>/dev/null || true
