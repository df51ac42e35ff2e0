// Row loops ask for their pixels a few kilobytes before they reach them:
// the hardware prefetcher stays too close behind a loop that spends more
// than a few instructions on each cache line, and the loop waits on
// memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// How far ahead a row loop asks: one 4 KiB page.
constexpr std::size_t kPrefetchBytesAhead = 4096;

// Asks for the cache lines of `bytes` bytes at `at`, for writing when
// `forWrite`. A request never faults; the callers keep `at` inside the row.
inline void PrefetchLines(const void* at, std::size_t bytes, bool forWrite) {
  const auto* const from = static_cast<const std::uint8_t*>(at);
  for (std::size_t k = 0; k < bytes; k += 64) {
    if (forWrite) {
      __builtin_prefetch(from + k, 1);
    } else {
      __builtin_prefetch(from + k, 0);
    }
  }
}

}  // namespace varne::raster
