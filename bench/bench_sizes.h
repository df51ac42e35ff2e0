// The two picture sizes every benchmark runs at: 12 and 64 megapixels.
#pragma once

#include <benchmark/benchmark.h>

namespace varne::bench {

inline void PhotoSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({4000, 3000})->Args({8000, 8000});
  benchmark->ArgNames({"w", "h"});
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace varne::bench
