#!/usr/bin/env bash
# check_clean_install.sh DEB [RELEASE]: proves that the package declares
# everything it needs. Makes a minimal Debian root of RELEASE (bookworm,
# the default, or trixie) with debootstrap, installs the package there with
# apt (which brings exactly its declared dependencies), and starts the menu
# entry's command inside that root on a virtual display served from outside
# it, so no display package can mask a missing library: the window "Varne"
# must appear and Alt+F4 end it with status 3.
# Needs root and the network to Debian's archive (the mirror this machine's
# apt uses); takes a few minutes. Not part of the test command: it installs
# into a root of its own, which CI has no business making.
set -u
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "$1")
release=${2:-bookworm}
. "$here/minimal_root.sh"
trap release_minimal_roots EXIT

make_minimal_root "$release" || exit 1
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update -qq || exit 1
chroot "$root" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >/dev/null || exit 1
echo "installed on $release: $(chroot "$root" dpkg-query -W -f='${Package} ${Version}' varne)"
echo "packages in the root: $(chroot "$root" dpkg-query -W | wc -l)"

start_virtual_display 80
exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop)
varne_window_closes "'$exec_line' in a clean $release root" \
  chroot "$root" env -i DISPLAY="$DISPLAY" PATH=/usr/bin:/bin HOME=/root "$exec_line"
