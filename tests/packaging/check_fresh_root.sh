#!/usr/bin/env bash
# check_fresh_root.sh RELEASE [person|root]: proves the README's two
# commands on a Debian (bookworm or trixie) that holds nothing but a minimal
# root, as `debootstrap --variant=minbase` makes it:
#  1. a clean clone of this repository's committed main and ../shared are
#     copied into a fresh RELEASE root, owned by an ordinary user who may
#     use sudo (the one package added before the commands run), or, with
#     `root`, into root's home, with nothing added at all;
#  2. as that user (or as root), with an environment of PATH, HOME and
#     DISPLAY only:
#     `bash scripts/run.sh` on a virtual display with a window manager,
#     both served from outside the root (the window "Varne" appears, Alt+F4
#     ends it with status 3), then `bash scripts/test.sh`, which must end
#     with status 0;
#  3. on bookworm, the .deb that run made is installed with apt into a
#     fresh trixie root and started there the same way
#     (tests/packaging/check_clean_install.sh): the package made on Debian
#     12 serves both releases, one made on 13 needs 13's libraries.
# Needs root, debootstrap, Xvfb, openbox and xdotool on this machine and the
# network to Debian's archive; it runs the whole test command in a new root,
# so it takes long. Not part of the test command: it makes roots of its
# own, which CI has no business making.
# Everything it mounted and started is undone by its exit trap.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
release=${1:-}
user=${2:-person}
case "$release" in
  bookworm) other=trixie ;;
  trixie) other=bookworm ;;
  *) echo "usage: $0 bookworm|trixie [person|root]" >&2; exit 2 ;;
esac
# Each with the PATH a login of theirs gets.
case "$user" in
  person) home=/home/person path=/usr/local/bin:/usr/bin:/bin ;;
  root) home=/root path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin ;;
  *) echo "usage: $0 bookworm|trixie [person|root]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot, mounts)" >&2; exit 2; }
command -v git >/dev/null || { echo "needs git" >&2; exit 2; }
. "$here/minimal_root.sh"
trap release_minimal_roots EXIT

failures=0
step() {  # step WHAT COMMAND...: runs COMMAND, times it, reports its status
  local started status
  started=$(date +%s)
  "${@:2}"
  status=$?
  echo "== $1: status $status, $(($(date +%s) - started)) s"
  [ "$status" -eq 0 ] || failures=$((failures + 1))
  return "$status"
}

started=$(date +%s)
echo "== fresh $release root as $user, $(date -u +%Y-%m-%dT%H:%MZ), main at $(git -C "$repo" rev-parse --short HEAD)"
step "debootstrap --variant=minbase $release" make_minimal_root "$release" || exit 1
if [ "$user" = person ]; then
  chroot "$root" env DEBIAN_FRONTEND=noninteractive \
    sh -c 'apt-get update -qq && apt-get install -y -qq --no-install-recommends sudo >/dev/null' ||
    exit 1
  chroot "$root" useradd --create-home --shell /bin/bash person
  echo 'person ALL=(ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/person"
  chmod 0440 "$root/etc/sudoers.d/person"
fi
git clone --quiet "$repo" "$root$home/varne"
cp -r "$repo/../shared" "$root$home/shared"
chroot "$root" chown -R "$user:$user" "$home"
echo "packages in the root: $(chroot "$root" dpkg-query -W | wc -l)"

start_virtual_display 70
as_user() {
  chroot --userspec="$user:$user" "$root" env -i PATH="$path" HOME="$home" DISPLAY="$DISPLAY" "$@"
}
step "bash scripts/run.sh" varne_window_closes "run.sh in the $release root" \
  as_user bash -c 'cd ~/varne && bash scripts/run.sh'
step "bash scripts/test.sh" as_user bash -c 'cd ~/varne && bash scripts/test.sh' \
  >"$root.test.log" 2>&1
tail -40 "$root.test.log"
mv "$root.test.log" "/var/tmp/varne-$release-$user-test.log"
echo "(the whole log: /var/tmp/varne-$release-$user-test.log)"

# Whatever the commands started must have ended with them.
for link in /proc/[0-9]*/root; do
  if [ "$(readlink "$link" 2>/dev/null)" = "$root" ]; then
    pid=${link#/proc/}; pid=${pid%/root}
    echo "FAIL: still running in the root: $pid $(tr '\0' ' ' <"/proc/$pid/cmdline")"
    failures=$((failures + 1))
    kill "$pid" 2>/dev/null
  fi
done

deb=$(ls "$root$home"/varne/dist/varne_*_amd64.deb 2>/dev/null | head -1)
if [ "$release" = trixie ]; then
  # What Debian 13 builds needs Debian 13's libraries (glibc 2.41, the
  # 64-bit time_t renames): releases are built on Debian 12, whose package
  # serves both.
  echo "skip: a package built on Debian 13 is not meant for Debian 12"
elif [ -n "$deb" ]; then
  step "the $release package on $other" bash "$here/check_clean_install.sh" "$deb" "$other"
else
  echo "FAIL: the test command made no package"
  failures=$((failures + 1))
fi
echo "== $failures failed; $(($(date +%s) - started)) s in all"
[ "$failures" -eq 0 ]
