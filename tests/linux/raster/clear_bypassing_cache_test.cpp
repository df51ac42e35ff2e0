// Clearing with streaming stores: exactly the bytes asked for become zero,
// whatever the start's place in a cache line and whatever the length, and
// a reused block past the pool's streaming size reads as zeros.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/raster/clear_bypassing_cache.h"
#include "platform/raster/surface_memory_pool.h"

namespace varne::raster {
namespace {

constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kSlack = 128;

TEST(ClearBypassingCache, ClearsExactlyTheRangeAtEveryOffsetAndLength) {
  std::vector<std::uint8_t> buffer(8192 + 2 * kSlack);
  // A 64-byte aligned base, so each start offset is one place in a line.
  auto* const base = reinterpret_cast<std::uint8_t*>(
      (reinterpret_cast<std::uintptr_t>(buffer.data()) + kSlack + 63) & ~std::uintptr_t{63});
  const std::size_t lengths[] = {0, 1, 15, 63, 64, 65, 127, 128, 129, 191, 192, 1000, 4096, 8000};
  for (std::size_t offset = 0; offset < 64; ++offset) {
    for (const std::size_t length : lengths) {
      std::fill(buffer.begin(), buffer.end(), kGuard);
      std::uint8_t* const start = base + offset;
      ClearBypassingCache(start, length);
      const auto zero = [](std::uint8_t b) { return b == 0; };
      const auto guard = [](std::uint8_t b) { return b == kGuard; };
      ASSERT_TRUE(std::all_of(start, start + length, zero)) << "offset " << offset << ", " << length;
      ASSERT_TRUE(std::all_of(buffer.data(), start, guard)) << "before, offset " << offset << ", " << length;
      ASSERT_TRUE(std::all_of(start + length, buffer.data() + buffer.size(), guard))
          << "after, offset " << offset << ", " << length;
    }
  }
}

TEST(ClearBypassingCache, PoolClearsLargeReusedBlocksThisWay) {
  constexpr std::size_t kBytes = 40 * 1024 + 24;  // not a whole number of lines
  PoolLimits limits{2, 1 << 20, 4 * 1024};
  limits.streamingClearBytes = 16 * 1024;
  SurfaceMemoryPool pool(limits);
  std::uint8_t* const first = pool.TakeZeroed(kBytes);
  ASSERT_NE(first, nullptr);
  std::memset(first, kGuard, kBytes);
  pool.Give(first, kBytes);
  std::uint8_t* const again = pool.TakeZeroed(kBytes);
  ASSERT_EQ(again, first) << "the block is reused";
  EXPECT_TRUE(std::all_of(again, again + kBytes, [](std::uint8_t b) { return b == 0; }));
  pool.Give(again, kBytes);
}

}  // namespace
}  // namespace varne::raster
