// The 24 -> 32 bit row loops against their plain form, on every count up
// to past two rounds of the widest loop and at every source and
// destination alignment, so each entry into the word and shuffle loops and
// each tail is taken.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/raster/widen_24_to_32.h"

namespace varne::raster {
namespace {

TEST(Widen24To32, EqualsThePlainLoopOnEveryCountAndAlignment) {
  std::mt19937 random(24);
  constexpr std::uint32_t kGuard = 0xDEADBEEF;
  for (std::size_t count = 0; count <= 70; ++count) {
    for (std::size_t offset = 0; offset < 16; ++offset) {
      // Exactly the bytes read, so a read past them is an error under
      // AddressSanitizer.
      std::vector<std::uint8_t> bytes(offset + 3 * count);
      for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
      std::vector<std::uint32_t> plain(count + 2, kGuard);
      Widen24To32Plain(bytes.data() + offset, plain.data() + 1, count);
      // Each word offset from a 16-byte boundary, where the streaming
      // stores begin.
      const std::size_t at = 1 + offset % 4;
      for (auto* widen : {&Widen24To32, &Widen24To32BypassingCache}) {
        std::vector<std::uint32_t> fast(count + 5, kGuard);
        widen(bytes.data() + offset, fast.data() + at, count);
        const bool streaming = widen == &Widen24To32BypassingCache;
        for (std::size_t i = 0; i < count; ++i) {
          ASSERT_EQ(fast[at + i], plain[1 + i]) << "streaming " << streaming << ", count " << count
                                                << ", offset " << offset << ", pixel " << i;
        }
        EXPECT_EQ(fast[at - 1], kGuard);
        EXPECT_EQ(fast[at + count], kGuard) << "count " << count << ": wrote past the row";
      }
    }
  }
}

}  // namespace
}  // namespace varne::raster
