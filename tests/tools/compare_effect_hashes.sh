#!/usr/bin/env bash
# compare_effect_hashes.sh NATIVE_TOOL EMULATOR EMULATED_TOOL: runs
# varne_effect_hashes from two builds (the second through EMULATOR, for
# example qemu-aarch64-static) over the samples and the bmpsuite corpus, with
# the samples' mark and texture as second pictures, and fails unless both
# print the same lines: every effect's pixels the same on both.
set -u
cd "$(dirname "$0")/../.."
native=$1 emulator=$2 emulated=$3
files=(samples/*.bmp)
for folder in g q; do
  [ -d "../shared/bmpsuite/$folder" ] && files+=("../shared/bmpsuite/$folder"/*.bmp)
done
args=(samples/watermark_flower.bmp samples/skin_weave.bmp "${files[@]}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$native" "${args[@]}" >"$work/native" || { echo "FAIL: the native run failed"; exit 1; }
"$emulator" "$emulated" "${args[@]}" >"$work/emulated" || { echo "FAIL: the emulated run failed"; exit 1; }
results=$(grep -vc ' none$' "$work/native")
if [ "$results" -eq 0 ]; then
  echo "FAIL: no effect gave a result"
  exit 1
elif cmp -s "$work/native" "$work/emulated"; then
  echo "ok: the same pixels from both builds: $results results of ${#files[@]} files"
else
  echo "FAIL: the builds differ:"
  diff "$work/native" "$work/emulated" | head -20
  exit 1
fi
