# minimal_root.sh: sourced by the checks that prove the README and the
# package on a Debian that holds nothing else. It ends the caller at once
# when this machine lacks a tool the roots need, brings in
# scripts/virtual_display.sh, and starts the `pids` array of what the
# caller starts; the caller calls release_minimal_roots in its exit trap.
#
#   make_minimal_root RELEASE   a debootstrap minbase root of RELEASE, from the
#                               mirror this machine's apt uses, with /proc,
#                               /dev and the X socket folder bound into it;
#                               its path in $root
#   varne_window_closes WHAT COMMAND...
#                               runs COMMAND in the background, waits for the
#                               window "Varne" on $DISPLAY, closes it with
#                               Alt+F4 and checks the exit status 3 (259's
#                               low byte); says "ok"/"FAIL" with WHAT
for tool in debootstrap Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/virtual_display.sh"
pids=()
roots=()

host_mirror() {
  local mirror
  mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
  echo "${mirror:-http://deb.debian.org/debian}"
}

make_minimal_root() {
  local release=$1
  root=$(mktemp -d "/var/tmp/varne-$release-root.XXXXXX")
  roots+=("$root")
  chmod 0755 "$root"  # it is the system's /: mktemp makes it 0700
  if ! debootstrap --variant=minbase "$release" "$root" "$(host_mirror)" >"$root.log" 2>&1; then
    tail -20 "$root.log"
    return 1
  fi
  rm -f "$root.log"
  mount --bind /proc "$root/proc"
  mount --bind /sys "$root/sys"
  # With /dev/shm and /dev/pts, which Wine and the toolkit use; rslave, so
  # that unmounting here never reaches the host's own mounts.
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
}

# Unmounts what make_minimal_root bound, deepest first, even after a failed
# step, and only then removes the root: never a bound host folder's files.
release_minimal_roots() {
  local pid dir mount
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for dir in "${roots[@]}"; do
    for mount in tmp/.X11-unix dev sys proc; do
      mountpoint -q "$dir/$mount" && umount -R "$dir/$mount"
    done
    if grep -qF " $dir/" /proc/self/mounts; then
      echo "left $dir in place: something is still mounted in it" >&2
    else
      rm -rf "$dir" "$dir.log"
    fi
  done
}

varne_window_closes() {
  local what=$1 program window status
  shift
  "$@" &
  program=$!
  # COMMAND may build first: wait while it runs, not a fixed time.
  window=
  while [ -z "$window" ] && kill -0 "$program" 2>/dev/null; do
    sleep 1
    window=$(xdotool search --onlyvisible --name '^Varne$' 2>/dev/null | head -1)
  done
  if [ -z "$window" ]; then
    echo "FAIL: $what: no window titled Varne appeared"
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
    return 1
  fi
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  xdotool key --clearmodifiers alt+F4
  timeout 20 tail --pid="$program" -f /dev/null
  wait "$program"
  status=$?
  if [ "$status" -ne 3 ]; then
    echo "FAIL: $what: exit status $status after Alt+F4, not 3"
    return 1
  fi
  echo "ok: $what: the window Varne appeared; Alt+F4 ended it with status 3"
}
