#!/usr/bin/env bash
# bench.sh [--quick | --memory | --peers | --open]: builds the benchmarks
# (preset bench), runs them at 12 and 64 megapixels, then the peer
# comparison on the same picture, the resident-memory table at 64
# megapixels and the open table, and prints the tables. --quick runs the
# 12-megapixel set only (no memory or open table); --memory runs the memory
# table and the open table; --peers runs only the benchmarks the peer table
# compares, then the peers, at both sizes; --open runs the open table only
# (first and later opens at 12 and 64 MP against OpenCV's imread, each from
# fresh processes).
# Environment: VARNE_BENCH_REPETITIONS (default 3), VARNE_BENCH_FILTER.
set -eu
cd "$(dirname "$0")/.."
mode="${1:-}"

bash scripts/install-deps.sh bench

cmake --preset bench >/dev/null
targets=(varne_bench varne_write_bench_image varne_peer_libraries)
if [ "$mode" != "--peers" ]; then
  targets+=(varne_live_bench varne_memory_bench varne_open_bench)
fi
cmake --build build/bench --target "${targets[@]}" -j2

out=build/bench/results
mkdir -p "$out"

# Peak and idle resident memory per command at 64 MP, each case in a fresh
# process, and "Open Bmp" against OpenCV's imread of the same file.
memory_table() {
  ./build/bench/bench/varne_write_bench_image 8000 8000 "$out/memory_24.bmp"
  ./build/bench/bench/varne_write_bench_image 8000 8000 "$out/memory_8.bmp" 8
  /usr/bin/python3 bench/memory_table.py --driver build/bench/bench/varne_memory_bench \
    --bmp24 "$out/memory_24.bmp" --bmp8 "$out/memory_8.bmp" 2>/dev/null | tee "$out/memory.txt"
  rm -f "$out"/memory_*.bmp
}
# Opening 24-bit files at 12 and 64 MP: a fresh process's first open and
# the later ones, the conversion against memcpy, the first command after
# the idle step, and OpenCV's imread of the same files in the same rounds.
open_table() {
  ./build/bench/bench/varne_write_bench_image 4000 3000 "$out/open_4000x3000.bmp"
  ./build/bench/bench/varne_write_bench_image 8000 8000 "$out/open_8000x8000.bmp"
  /usr/bin/python3 bench/open_table.py --open-driver build/bench/bench/varne_open_bench \
    --memory-driver build/bench/bench/varne_memory_bench \
    --bmp "$out/open_4000x3000.bmp" --bmp "$out/open_8000x8000.bmp" 2>/dev/null | tee "$out/open.txt"
  rm -f "$out"/open_*.bmp
}
if [ "$mode" = "--memory" ]; then
  memory_table
  open_table
  exit 0
fi
if [ "$mode" = "--open" ]; then
  open_table
  exit 0
fi
sizes=("4000 3000" "8000 8000")
filter="${VARNE_BENCH_FILTER:-.}"
if [ "$mode" = "--quick" ]; then
  sizes=("4000 3000")
  filter="${VARNE_BENCH_FILTER:-}.*/w:4000"
fi
if [ "$mode" = "--peers" ]; then
  filter="(CopyDib32|GrayScaleCommand|InvertCommand|ThresholdCommand|RotateDib45)/"
fi

# Debian's Google Benchmark 1.7.1 warms up only when the flag asks for it,
# whatever the benchmarks themselves set.
./build/bench/bench/varne_bench --benchmark_filter="$filter" --benchmark_min_warmup_time=0.3 \
  --benchmark_repetitions="${VARNE_BENCH_REPETITIONS:-3}" --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.3 --benchmark_out="$out/varne.json" --benchmark_out_format=json \
  --benchmark_counters_tabular=true | tee "$out/varne.txt"

varne_json=(--varne-json "$out/varne.json")
if [ "$mode" != "--peers" ]; then
  ./build/bench/bench/varne_live_bench \
    --benchmark_repetitions="${VARNE_BENCH_REPETITIONS:-3}" --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.5 --benchmark_out="$out/live.json" --benchmark_out_format=json |
    tee "$out/live.txt"
  varne_json+=(--varne-json "$out/live.json")
fi

bmps=()
for size in "${sizes[@]}"; do
  set -- $size
  ./build/bench/bench/varne_write_bench_image "$1" "$2" "$out/photo_$1x$2.bmp"
  bmps+=(--bmp "$out/photo_$1x$2.bmp")
done
/usr/bin/python3 bench/peers.py "${varne_json[@]}" "${bmps[@]}" \
  --peer-libraries build/bench/bench/varne_peer_libraries | tee "$out/peers.txt"
rm -f "$out"/photo_*.bmp
if [ "$mode" != "--quick" ] && [ "$mode" != "--peers" ]; then
  memory_table
  open_table
fi
