#!/usr/bin/env bash
# fuzz.sh: builds the libFuzzer targets (preset `fuzz`: clang, ASan, UBSan)
# and runs each in turn, one process at a time.
#   --short        about 50 s a target, as the test command runs it
#   --long [secs]  20 minutes a target (the default), or `secs` seconds
# Targets may follow the option (fuzz_bmp_decoder, fuzz_load_and_effect,
# fuzz_load_large_file, fuzz_raster_diff); without them all four run.
# Seeds: the BMP corpus next to the repository, the regression files and
# fuzz/corpus/<target>/. Inputs are at most 64 KiB, the loader's head, but
# 1 MiB and 64 KiB for fuzz_load_large_file, which reads on past the head.
# Every input runs under limits: 5 s, one allocation of at most the
# surface cap (1 GiB) plus 64 MiB, 2 GiB resident in all (fuzz/CMakeLists.txt). An input that
# crashes, leaks, trips UBSan, finds a difference from the model, runs
# past the time or breaks a memory limit is a finding: one input per
# distinct fault is kept in fuzz/corpus/ (regressions/ for files, the
# target's own folder otherwise) and the script fails.
set -u
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 [--short|--long [seconds]] [target...]" >&2; exit 2; }
seconds=1200
case "${1:---long}" in
  --short) seconds=50 ;;
  --long)
    if [[ "${2:-}" =~ ^[0-9]+$ ]]; then
      seconds=$2
      shift
    fi
    ;;
  *) usage ;;
esac
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(fuzz_bmp_decoder fuzz_load_and_effect fuzz_load_large_file fuzz_raster_diff)

bash scripts/install-deps.sh fuzz || exit 1
cmake --preset fuzz >/dev/null || exit 1
cmake --build build/fuzz --target varne_fuzzers -j 2 || exit 1
# The limits follow the layer's surface cap; the build writes them.
read -r -a limits <build/fuzz/fuzz/limits || exit 1

bmpsuite=../shared/bmpsuite
status=0

seeds_of() {
  local target=$1
  mkdir -p "fuzz/corpus/$target"
  echo "fuzz/corpus/$target"
  if [ "$target" != fuzz_raster_diff ]; then
    echo fuzz/corpus/regressions
    for folder in g q b; do
      [ -d "$bmpsuite/$folder" ] && echo "$bmpsuite/$folder"
    done
  fi
}

# Where a crash input is kept: whole files stay replayable by the
# decoder's regression test.
keep_dir_of() {
  if [ "$1" = fuzz_raster_diff ]; then echo "fuzz/corpus/$1"; else echo fuzz/corpus/regressions; fi
}

run_target() {
  local target=$1
  local work=build/fuzz/corpus/$target
  local artifacts=build/fuzz/artifacts/$target
  local log=build/fuzz/$target.log
  mkdir -p "$work" "$artifacts" fuzz/corpus/regressions
  rm -f "$artifacts"/*
  local max_len=65536
  [ "$target" = fuzz_load_large_file ] && max_len=$(((1 << 20) + 65536))
  # fork=1 with the ignore flags keeps fuzzing after a crash, a timeout or
  # an out-of-memory, so one finding does not hide the next; each still
  # leaves its input in the artifacts folder, and each counts below.
  # shellcheck disable=SC2046
  "build/fuzz/fuzz/$target" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" "${limits[@]}" -max_len="$max_len" \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$work" $(seeds_of "$target") >"$log" 2>&1
  local exit_code=$?
  local summary
  summary=$(grep -E '^#[0-9]+: cov:' "$log" | tail -n 1)
  # One regression file per distinct fault: the first report line of a
  # replay (place and kind, without values) tells faults apart.
  local findings=0 loaded=0 signatures=""
  for found in "$artifacts"/*; do
    [ -f "$found" ] || continue
    # Replayed under the same limits, so a timeout or an out-of-memory
    # reports itself again.
    local signature
    signature=$("build/fuzz/fuzz/$target" "${limits[@]}" "$found" 2>&1 |
      grep -m 1 -E 'runtime error|ERROR: [A-Za-z]+Sanitizer|ERROR: libFuzzer|invariant broken' |
      sed -E 's/(runtime error: [^:]*).*/\1/; s/ on address.*//; s/==[0-9]+==//;
              s/(libFuzzer: [a-z-]+).*/\1/')
    # An input that was only slow while the machine was busy finishes alone
    # within the same time limit: the load's doing, not the loader's.
    if [ -z "$signature" ]; then
      case "$(basename "$found")" in
        timeout-* | slow-unit-*) loaded=$((loaded + 1)); continue ;;
      esac
    fi
    findings=$((findings + 1))
    [ -n "$signature" ] || signature="$(basename "$found" | cut -d- -f1) (does not reproduce alone)"
    case "$signatures" in *"|$signature|"*) continue ;; esac
    signatures="$signatures|$signature|"
    local name kept
    name=$(basename "$found")
    kept="$(keep_dir_of "$target")/regression-$target-${name#*-}"
    cp "$found" "$kept"
    echo "  finding: $kept"
    echo "    $signature"
  done
  echo "$target: ${summary:-no statistics (see $log)}; findings: $findings;" \
    "slow only under load: $loaded"
  if [ "$findings" -gt 0 ]; then
    status=1
  elif [ "$exit_code" -ne 0 ] && [ -z "$summary" ]; then
    echo "  the fuzzer itself failed (exit $exit_code); see $log"
    status=1
  fi
}

for target in "${targets[@]}"; do
  run_target "$target"
done
exit $status
