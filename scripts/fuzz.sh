#!/usr/bin/env bash
# fuzz.sh: builds the libFuzzer targets (preset `fuzz`: clang, ASan, UBSan)
# and runs each in turn, one process at a time.
#   --short   about 50 s a target, as the test command runs it
#   --long    20 minutes a target (the default)
# Targets may follow the option (fuzz_bmp_decoder, fuzz_load_and_effect,
# fuzz_raster_diff); without them all three run.
# Seeds: the BMP corpus next to the repository, the regression files and
# fuzz/corpus/<target>/. A run that crashes, leaks or finds a difference
# from the model keeps its input in fuzz/corpus/ (regressions/ for files,
# the target's own folder otherwise) and makes the script fail.
set -u
cd "$(dirname "$0")/.."

seconds=1200
case "${1:---long}" in
  --short) seconds=50 ;;
  --long) seconds=1200 ;;
  *) echo "usage: $0 [--short|--long] [target...]" >&2; exit 2 ;;
esac
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_bmp_decoder fuzz_load_and_effect fuzz_raster_diff)

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing; install clang and libclang-rt-dev (Debian)" >&2
  exit 1
fi
cmake --preset fuzz >/dev/null || exit 1
cmake --build build/fuzz --target varne_fuzzers -j 2 || exit 1

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
  # fork=1 keeps fuzzing after a crash, so one finding does not hide the
  # next; every finding still lands in the artifacts folder.
  # shellcheck disable=SC2046
  "build/fuzz/fuzz/$target" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=65536 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$work" $(seeds_of "$target") >"$log" 2>&1
  local exit_code=$?
  local summary
  summary=$(grep -E '^#[0-9]+: cov:' "$log" | tail -n 1)
  # One regression file per distinct fault: the first report line of a
  # replay (place and kind, without values) tells faults apart.
  local findings=0 signatures="" slow=0
  for found in "$artifacts"/*; do
    [ -f "$found" ] || continue
    # A slow input finished correctly, only past libFuzzer's ten seconds
    # (a large picture in the sanitized build): noted, not a fault.
    case "$(basename "$found")" in slow-unit-*) slow=$((slow + 1)); continue ;; esac
    findings=$((findings + 1))
    local signature
    signature=$("build/fuzz/fuzz/$target" "$found" 2>&1 |
      grep -m 1 -E 'runtime error|ERROR: [A-Za-z]+Sanitizer|invariant broken' |
      sed -E 's/(runtime error: [^:]*).*/\1/; s/ on address.*//; s/==[0-9]+==//')
    case "$signatures" in *"|$signature|"*) continue ;; esac
    signatures="$signatures|$signature|"
    local name kept
    name=$(basename "$found")
    kept="$(keep_dir_of "$target")/regression-$target-${name#*-}"
    cp "$found" "$kept"
    echo "  finding: $kept"
    echo "    $signature"
  done
  echo "$target: ${summary:-no statistics (see $log)}; findings: $findings; slow inputs: $slow"
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
