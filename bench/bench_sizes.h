// The two picture sizes every benchmark runs at: 12 and 64 megapixels.
// Each is warmed up first, so the figures are those of a session already
// under way: the layer's pool holds released surfaces' memory, and a first
// call at 64 megapixels would otherwise be timed on fresh pages alone.
// Google Benchmark 1.7.1, Debian's, ignores the warm-up set here unless
// --benchmark_min_warmup_time is also given; scripts/bench.sh gives it.
#pragma once

#include <benchmark/benchmark.h>

namespace varne::bench {

inline void PhotoSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({4000, 3000})->Args({8000, 8000});
  benchmark->ArgNames({"w", "h"});
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3);
}

}  // namespace varne::bench
