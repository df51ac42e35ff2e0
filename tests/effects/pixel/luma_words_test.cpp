// The 16-bit lane luma against the plain formula in 32-bit arithmetic, on
// every colour, and the loop that applies it on lengths with a tail.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "effects/pixel/luma_words.h"

namespace varne::test {
namespace {

std::uint32_t WideLuma(std::uint32_t word) {
  const std::uint32_t blue = word & 0xFF, green = (word >> 8) & 0xFF, red = (word >> 16) & 0xFF;
  return (66 * red + 129 * green + 25 * blue + 128) / 256 + 16;
}

TEST(LumaWords, BlockKernelAgreesOnEveryColour) {
  std::vector<DWORD> words(std::size_t{1} << 16);
  std::vector<std::uint16_t> luma(words.size());
  std::mt19937 fourth(7);
  for (std::uint32_t high = 0; high < 256; ++high) {
    // A fourth byte of noise: it must play no part.
    for (std::uint32_t low = 0; low < words.size(); ++low) {
      words[low] = (fourth() & 0xFF000000u) | high << 16 | low;
    }
    for (std::size_t i = 0; i < words.size(); i += kLumaBlock) LumaOfBlock(&words[i], &luma[i]);
    for (std::size_t i = 0; i < words.size(); ++i) {
      ASSERT_EQ(luma[i], WideLuma(words[i])) << std::hex << words[i];
    }
  }
}

TEST(LumaWords, EveryWordRewrittenIncludingTheTail) {
  std::mt19937 random(11);
  for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                                  std::size_t{17}, std::size_t{47}, std::size_t{1000}}) {
    std::vector<DWORD> words(count);
    for (DWORD& word : words) word = random();
    const std::vector<DWORD> before = words;
    RewriteWordsByLuma(words.data(), count, [](DWORD luma) { return luma * 0x010101u; });
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(words[i], WideLuma(before[i]) * 0x010101u) << "word " << i << " of " << count;
    }
  }
}

}  // namespace
}  // namespace varne::test
