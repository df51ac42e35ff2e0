// The 24 -> 32 bit row loop against its plain form, on every count up to
// past two rounds of the widest loop and at every source alignment, so
// each entry into the word and shuffle loops and each tail is taken.
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
      std::vector<std::uint32_t> fast(count + 3, kGuard);
      Widen24To32Plain(bytes.data() + offset, plain.data() + 1, count);
      Widen24To32(bytes.data() + offset, fast.data() + 1 + offset % 2, count);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(fast[1 + offset % 2 + i], plain[1 + i]) << "count " << count << ", offset " << offset << ", pixel " << i;
      }
      EXPECT_EQ(fast[offset % 2], kGuard);
      EXPECT_EQ(fast[1 + offset % 2 + count], kGuard) << "count " << count << ": wrote past the row";
    }
  }
}

}  // namespace
}  // namespace varne::raster
