// The vector luma against the plain formula in 32-bit arithmetic, on every
// colour, and the loop that applies it on lengths with a tail.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "effects/pixel/pixel_loops.h"
#include "tests/support/effect_models.h"

namespace varne::test {
namespace {

// Leaves each word's luma in its place, so the kernel's result is seen whole.
struct LumaItself {
  DWORD operator()(DWORD luma) const { return luma; }
#if defined(__SSE2__)
  __m128i operator()(__m128i luma) const { return luma; }
#endif
#if defined(VARNE_AVX2_PATH)
  VARNE_AVX2 __m256i operator()(__m256i luma) const { return luma; }
#endif
};

// Marks which path rewrote a word: the vector lanes or the scalar tail.
struct LumaAndPath {
  DWORD operator()(DWORD luma) const { return luma | 0x100u; }
#if defined(__SSE2__)
  __m128i operator()(__m128i luma) const { return _mm_or_si128(luma, _mm_set1_epi32(0x200)); }
#endif
#if defined(VARNE_AVX2_PATH)
  VARNE_AVX2 __m256i operator()(__m256i luma) const {
    return _mm256_or_si256(luma, _mm256_set1_epi32(0x400));
  }
#endif
};

// Every loop this processor can run: the chosen one may hide the others.
template <typename FromLuma>
std::vector<std::pair<const char*, void (*)(DWORD*, std::size_t, FromLuma)>> Paths() {
  std::vector<std::pair<const char*, void (*)(DWORD*, std::size_t, FromLuma)>> paths = {
      {"128-bit", &RewriteWordsByLumaSse2<FromLuma>}};
#if defined(VARNE_AVX2_PATH)
  if (CpuHasAvx2()) paths.emplace_back("256-bit", &RewriteWordsByLumaAvx2<FromLuma>);
#endif
  return paths;
}

TEST(LumaWords, AgreesWithTheFormulaOnEveryColour) {
  std::vector<DWORD> words(std::size_t{1} << 16);
  std::mt19937 fourth(7);
  for (const auto& [name, rewrite] : Paths<LumaItself>()) {
    SCOPED_TRACE(name);
    for (std::uint32_t high = 0; high < 256; ++high) {
      // A fourth byte of noise: it must play no part.
      for (std::uint32_t low = 0; low < words.size(); ++low) {
        words[low] = (fourth() & 0xFF000000u) | high << 16 | low;
      }
      const std::vector<DWORD> before = words;
      rewrite(words.data(), words.size(), LumaItself{});
      for (std::size_t i = 0; i < words.size(); ++i) {
        ASSERT_EQ(words[i], static_cast<std::uint32_t>(ModelLuma(before[i]))) << std::hex << before[i];
      }
    }
  }
}

// The comparison above holds just as well if the model and the system share
// a wrong coefficient, so the model is held to levels that owe nothing to
// its formula: literals, and the luma from the exact weights.
TEST(LumaWords, TheModelGivesBlackWhiteThePrimariesAndMidGreyTheirStudioLevels) {
  const auto exact = [](std::uint32_t pixel) {
    const double red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
    return 16 + 219 * (0.299 * red + 0.587 * green + 0.114 * blue) / 255;
  };
  // Red is 82 and green 144, where the exact weights give 81.48 and 144.55:
  // the integer form's weights are whole 256ths.
  const std::pair<std::uint32_t, int> levels[] = {{0x000000, 16}, {0xFFFFFF, 235}, {0xFF0000, 82},
                                                  {0x00FF00, 144}, {0x0000FF, 41}, {0x808080, 126}};
  for (const auto& [pixel, level] : levels) {
    SCOPED_TRACE(testing::Message() << std::hex << pixel);
    EXPECT_EQ(ModelLuma(pixel), level);
    EXPECT_NEAR(ModelLuma(pixel), exact(pixel), 1.0);
  }
}

TEST(LumaWords, EveryWordRewrittenOnceIncludingTheTail) {
  std::mt19937 random(11);
  for (const auto& [name, rewrite] : Paths<LumaAndPath>()) {
    for (const std::size_t count : {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 47, 1000, 1039,
                                     1040, 1041, 1047, 2100}) {
      SCOPED_TRACE(testing::Message() << name << ", " << count << " words");
      std::vector<DWORD> words(count + 1);
      for (DWORD& word : words) word = random();
      const std::vector<DWORD> before = words;
      rewrite(words.data(), count, LumaAndPath{});
      for (std::size_t i = 0; i < count; ++i) {
        const DWORD path = words[i] & ~0xFFu;
        ASSERT_EQ(words[i] & 0xFFu, static_cast<std::uint32_t>(ModelLuma(before[i]))) << "word " << i;
        ASSERT_TRUE(path == 0x100u || path == 0x200u || path == 0x400u) << "word " << i << " rewritten by no path";
      }
      EXPECT_EQ(words[count], before[count]) << "the word past the end is not touched";
    }
  }
}

}  // namespace
}  // namespace varne::test
