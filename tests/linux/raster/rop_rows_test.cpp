// The row kernels, fast paths included, against the one reference
// evaluator, for all 256 codes; and the reference against the codes'
// documented formulas.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/raster/gdi.h"
#include "platform/raster/rop3.h"
#include "platform/raster/rop_rows.h"

namespace varne::raster {
namespace {

std::vector<std::uint32_t> RandomWords32(std::mt19937& random, std::size_t count) {
  std::vector<std::uint32_t> words(count);
  for (std::uint32_t& word : words) word = static_cast<std::uint32_t>(random());
  return words;
}

std::vector<std::uint64_t> RandomWords64(std::mt19937_64& random, std::size_t count) {
  std::vector<std::uint64_t> words(count);
  for (std::uint64_t& word : words) word = random();
  return words;
}

TEST(Rop3, ReferenceMatchesTheDocumentedFormulas) {
  std::mt19937 random(1);
  for (int trial = 0; trial < 200; ++trial) {
    const auto p = static_cast<std::uint32_t>(random());
    const auto s = static_cast<std::uint32_t>(random());
    const auto d = static_cast<std::uint32_t>(random());
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(SRCCOPY), p, s, d), s);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(MERGEPAINT), p, s, d), ~s | d);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(SRCAND), p, s, d), s & d);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(0x00B8074A), p, s, d), ((d ^ p) & s) ^ p);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(PATINVERT), p, s, d), p ^ d);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(DSTINVERT), p, s, d), ~d);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(SRCERASE), p, s, d), s & ~d);
    EXPECT_EQ(EvaluateRop3<std::uint32_t>(RopIndex(WHITENESS), p, s, d), 0xFFFFFFFFu);
  }
}

TEST(Rop3, KnowsWhichCodesReadTheSource) {
  EXPECT_TRUE(RopUsesSource(RopIndex(SRCCOPY)));
  EXPECT_TRUE(RopUsesSource(RopIndex(0x00B8074A)));
  EXPECT_FALSE(RopUsesSource(RopIndex(PATCOPY)));
  EXPECT_FALSE(RopUsesSource(RopIndex(DSTINVERT)));
  EXPECT_FALSE(RopUsesSource(RopIndex(WHITENESS)));
  int withoutSource = 0;
  for (int index = 0; index < 256; ++index) withoutSource += !RopUsesSource(static_cast<std::uint8_t>(index));
  EXPECT_EQ(withoutSource, 16);  // the functions of P and D alone
}

TEST(RopRows, EveryCodeOnPixelsMatchesTheReference) {
  std::mt19937 random(2);
  for (int index = 0; index < 256; ++index) {
    const auto code = static_cast<std::uint8_t>(index);
    const auto p = static_cast<std::uint32_t>(random());
    const std::vector<std::uint32_t> s = RandomWords32(random, 37);
    std::vector<std::uint32_t> fast = RandomWords32(random, 37);
    std::vector<std::uint32_t> expected = fast;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      expected[i] = EvaluateRop3<std::uint32_t>(code, p, s[i], expected[i]);
    }
    std::vector<std::uint32_t> general = fast;
    CombineRow32(code, p, s.data(), fast.data(), fast.size());
    CombineRow32General(code, p, s.data(), general.data(), general.size());
    EXPECT_EQ(fast, expected) << "code " << index;
    EXPECT_EQ(general, expected) << "code " << index;
  }
}

TEST(RopRows, EveryCodeOnMonochromeWordsKeepsBitsOutsideTheMasks) {
  std::mt19937_64 random(3);
  for (int index = 0; index < 256; ++index) {
    const auto code = static_cast<std::uint8_t>(index);
    for (const std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{5}}) {
      const std::uint64_t p = random() % 2 ? ~std::uint64_t{0} : 0;
      const std::uint64_t firstMask = ~std::uint64_t{0} << (random() % 64);
      const std::uint64_t lastMask = ~std::uint64_t{0} >> (random() % 64);
      const std::vector<std::uint64_t> s = RandomWords64(random, count);
      const std::vector<std::uint64_t> before = RandomWords64(random, count);
      std::vector<std::uint64_t> expected = before;
      for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t mask = ~std::uint64_t{0};
        if (i == 0) mask &= firstMask;
        if (i + 1 == count) mask &= lastMask;
        const std::uint64_t result = EvaluateRop3<std::uint64_t>(code, p, s[i], before[i]);
        expected[i] = (before[i] & ~mask) | (result & mask);
      }
      std::vector<std::uint64_t> fast = before;
      std::vector<std::uint64_t> general = before;
      CombineWords(code, p, s.data(), fast.data(), count, firstMask, lastMask);
      CombineWordsGeneral(code, p, s.data(), general.data(), count, firstMask, lastMask);
      EXPECT_EQ(fast, expected) << "code " << index << ", " << count << " words";
      EXPECT_EQ(general, expected) << "code " << index << ", " << count << " words";
    }
  }
}

// The row a mask blit must give: each bit expanded to its colour first,
// then the general evaluator over the destination as it was.
std::vector<std::uint32_t> ExpandThenCombine(std::uint8_t code, std::uint32_t p,
                                             const std::vector<std::uint64_t>& bits,
                                             std::size_t first, std::uint32_t one,
                                             std::uint32_t zero, std::vector<std::uint32_t> row) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    const std::size_t at = first + i;
    const std::uint32_t s = (bits[at / 64] >> (at % 64)) & 1 ? one : zero;
    row[i] = EvaluateRop3<std::uint32_t>(code, p, s, row[i]);
  }
  return row;
}

TEST(RopRows, ExpandedMaskRowsMatchExpandingFirst) {
  std::mt19937_64 random(4);
  for (int index = 0; index < 256; ++index) {
    const auto code = static_cast<std::uint8_t>(index);
    const std::vector<std::uint64_t> bits = RandomWords64(random, 4);
    const std::size_t first = random() % 100;
    const std::size_t count = 1 + random() % (256 - first - 1);
    const auto p = static_cast<std::uint32_t>(random());
    const auto one = static_cast<std::uint32_t>(random());
    const auto zero = static_cast<std::uint32_t>(random());
    std::vector<std::uint32_t> actual(count);
    for (std::uint32_t& value : actual) value = static_cast<std::uint32_t>(random());
    const std::vector<std::uint32_t> expected =
        ExpandThenCombine(code, p, bits, first, one, zero, actual);
    CombineExpandedRow32(code, p, bits.data(), first, one, zero, actual.data(), count);
    EXPECT_EQ(actual, expected) << "code " << index << " from bit " << first << ", " << count;
  }
}

// Masks made of runs, as rims and keys are: whole words of ones or zeros
// (with noise past the row's end) between mixed ones, under source colours
// that make many codes leave the destination as it is.
TEST(RopRows, ExpandedMaskRowsOfRunsMatchExpandingFirst) {
  std::mt19937_64 random(5);
  const std::uint32_t colours[] = {0u, ~0u, 0x00FFFFFFu, 0x00A00000u};
  for (int index = 0; index < 256; ++index) {
    const auto code = static_cast<std::uint8_t>(index);
    for (const std::uint32_t one : colours) {
      for (const std::uint32_t zero : colours) {
        std::vector<std::uint64_t> bits(5);
        for (std::uint64_t& word : bits) {
          const int kind = static_cast<int>(random() % 3);
          word = kind == 0 ? 0 : kind == 1 ? ~std::uint64_t{0} : random();
        }
        const std::size_t first = 64 * (random() % 2) + (random() % 3 == 0 ? random() % 64 : 0);
        const std::size_t count = 1 + random() % (5 * 64 - first - 1);
        const auto p = random() % 2 ? static_cast<std::uint32_t>(random()) : colours[random() % 4];
        // Half the rows as the system's surfaces hold them, fourth byte
        // clear, where a chunk may already hold what the code would put.
        const std::uint32_t held = random() % 2 ? 0x00FFFFFFu : ~0u;
        std::vector<std::uint32_t> actual(count);
        for (std::uint32_t& value : actual) value = static_cast<std::uint32_t>(random()) & held;
        const std::vector<std::uint32_t> expected =
            ExpandThenCombine(code, p, bits, first, one, zero, actual);
        CombineExpandedRow32(code, p, bits.data(), first, one, zero, actual.data(), count);
        ASSERT_EQ(actual, expected) << "code " << index << " from bit " << first << ", " << count
                                    << " pixels, one " << one << ", zero " << zero;
      }
    }
  }
}

// Rows long enough that the combine asks for pixels a page ahead, and so
// reads the mask that far ahead too. The mask holds exactly the words the
// row needs, so a look-ahead past them is a read outside it (the sanitize
// build reports it).
TEST(RopRows, LongExpandedMaskRowsMatchExpandingFirst) {
  std::mt19937_64 random(6);
  for (int index = 0; index < 256; ++index) {
    const auto code = static_cast<std::uint8_t>(index);
    const std::size_t first = random() % 64;
    const std::size_t count = 1088 + random() % 3000;
    std::vector<std::uint64_t> bits((first + count + 63) / 64);
    for (std::uint64_t& word : bits) {
      const int kind = static_cast<int>(random() % 4);
      word = kind == 0 ? 0 : kind == 1 ? ~std::uint64_t{0} : random();
    }
    const std::uint32_t one = random() % 2 ? 0x00FFFFFFu : static_cast<std::uint32_t>(random());
    const std::uint32_t zero = random() % 2 ? 0u : static_cast<std::uint32_t>(random());
    const auto p = static_cast<std::uint32_t>(random()) & (random() % 2 ? 0x00FFFFFFu : ~0u);
    std::vector<std::uint32_t> actual(count);
    for (std::uint32_t& value : actual) value = static_cast<std::uint32_t>(random()) & 0x00FFFFFFu;
    const std::vector<std::uint32_t> expected =
        ExpandThenCombine(code, p, bits, first, one, zero, actual);
    CombineExpandedRow32(code, p, bits.data(), first, one, zero, actual.data(), count);
    ASSERT_EQ(actual, expected) << "code " << index << " from bit " << first << ", " << count;
  }
}

}  // namespace
}  // namespace varne::raster
