#!/usr/bin/env bash
# check_reproducible.sh: proves that what scripts/package.sh writes is the
# same bytes from the same commit whoever builds it. Clones the committed
# HEAD into two folders of different names and runs package.sh in each,
# one after the other (so at different times), under umask 022 and 002,
# then compares every artefact and SHA256SUMS. Takes two package builds,
# so it runs outside the test command.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /var/tmp/varne-reproducible.XXXXXX)
failures=0
# Both trees stay for a look when the artefacts differ.
trap '[ "$failures" -eq 0 ] && rm -rf "$work" || echo "the two builds are in $work"' EXIT

build() {  # build FOLDER UMASK
  git clone --quiet "$repo" "$work/$1"
  (umask "$2" && cd "$work/$1" && bash scripts/package.sh >"$work/$1.log" 2>&1) ||
    { echo "FAIL: package.sh in $1 (umask $2)"; tail -20 "$work/$1.log"; return 1; }
  echo "built in $1 under umask $2 at $(date -u +%H:%M:%S)"
}
build first 022 || { failures=1; exit 1; }
build second-build 002 || { failures=1; exit 1; }

for artefact in $(cd "$work/first/dist" && ls); do
  if cmp -s "$work/first/dist/$artefact" "$work/second-build/dist/$artefact"; then
    echo "ok: $artefact is the same bytes"
  else
    echo "FAIL: $artefact differs"
    failures=$((failures + 1))
  fi
done
cat "$work/first/dist/SHA256SUMS"
[ "$failures" -eq 0 ]
