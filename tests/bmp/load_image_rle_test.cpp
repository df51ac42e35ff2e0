// RLE8 and RLE4 files through LoadImageA: each corner case of the codes,
// with the palette indices every pixel must end up with. Rows are listed
// as stored, bottom row first; what no code reaches stays index 0.
#include <gtest/gtest.h>

#include <string>

#include "bmp_writer/bmp_writer.h"
#include "tests/bmp/colour_match.h"
#include "tests/bmp/section_contents.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/temp_file.h"

namespace varne::test {
namespace {

constexpr int kWidth = 7;  // odd, so RLE4 rows end inside a byte

struct RleCase {
  const char* name;
  int bitsPerIndex;
  RleStream stream;
  std::vector<std::vector<std::uint8_t>> storedRows;  // kWidth indices each, bottom first
  bool endsWithoutEndCode = false;
};

std::vector<BmpColour> SixteenColours() {
  std::vector<BmpColour> palette;
  for (int i = 0; i < 16; ++i) {
    palette.push_back({static_cast<std::uint8_t>(i * 16 + 5), static_cast<std::uint8_t>(200 - i * 9),
                       static_cast<std::uint8_t>(i * 13)});
  }
  return palette;
}

std::vector<RleCase> RleCases() {
  using Rows = std::vector<std::vector<std::uint8_t>>;
  std::vector<RleCase> cases;
  cases.push_back({"Rle8RunsAndEndOfLine", 8,
                   RleStream(8).Run(3, 1).Run(4, 2).EndOfLine().Run(7, 3).EndOfLine().EndOfBitmap(),
                   Rows{{1, 1, 1, 2, 2, 2, 2}, {3, 3, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle4OddRunsAlternateNibbles", 4,
                   RleStream(4).Run(3, 0x12).Run(4, 0x34).EndOfLine().Run(5, 0x56).EndOfBitmap(),
                   Rows{{1, 2, 1, 3, 4, 3, 4}, {5, 6, 5, 6, 5, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle8AbsoluteOddLengthIsPadded", 8,
                   RleStream(8).Absolute({4, 5, 6}).Run(2, 7).EndOfLine().Absolute({8, 9, 10, 11}).EndOfBitmap(),
                   Rows{{4, 5, 6, 7, 7, 0, 0}, {8, 9, 10, 11, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle4AbsolutePaddedToWords", 4,
                   // 5 indices take 3 bytes and a pad byte; 6 take 3 and a pad; 4 take 2 and none.
                   RleStream(4).Absolute({1, 2, 3, 4, 5}).Run(2, 0x66).EndOfLine()
                       .Absolute({7, 8, 9, 10, 11, 12}).EndOfLine().Absolute({13, 14, 15, 1}).EndOfBitmap(),
                   Rows{{1, 2, 3, 4, 5, 6, 6}, {7, 8, 9, 10, 11, 12, 0}, {13, 14, 15, 1, 0, 0, 0}}});
  cases.push_back({"Rle8DeltaSkipsRightAndUp", 8,
                   RleStream(8).Run(2, 1).Delta(3, 1).Run(2, 2).EndOfLine().Run(1, 3).EndOfBitmap(),
                   Rows{{1, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 2, 2}, {3, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle4DeltaSkipsRightAndUp", 4,
                   RleStream(4).Run(1, 0x10).Delta(2, 2).Run(3, 0x23).EndOfBitmap(),
                   Rows{{1, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 2, 3, 2, 0}}});
  cases.push_back({"Rle8EndOfBitmapEarlyLeavesRestZero", 8,
                   RleStream(8).Run(7, 4).EndOfLine().Run(2, 5).EndOfBitmap().Run(7, 6),
                   Rows{{4, 4, 4, 4, 4, 4, 4}, {5, 5, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle8DataEndingWithoutEndOfBitmap", 8,
                   RleStream(8).Run(7, 4).EndOfLine().Run(3, 5),
                   Rows{{4, 4, 4, 4, 4, 4, 4}, {5, 5, 5, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}, true});
  cases.push_back({"Rle8AbsoluteCutByEndOfData", 8,
                   RleStream(8).Run(7, 4).EndOfLine().Bytes({0, 6, 1, 2, 3}),
                   Rows{{4, 4, 4, 4, 4, 4, 4}, {1, 2, 3, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}, true});
  cases.push_back({"EndOfLineOnLastRowStops", 8,
                   RleStream(8).EndOfLine().EndOfLine().Run(7, 9).EndOfLine().Run(7, 8).EndOfBitmap(),
                   Rows{{0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {9, 9, 9, 9, 9, 9, 9}}});
  cases.push_back({"Rle8RunPastRowIsClipped", 8,
                   RleStream(8).Run(10, 3).EndOfLine().Run(2, 4).EndOfBitmap(),
                   Rows{{3, 3, 3, 3, 3, 3, 3}, {4, 4, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle8RunsAfterRowEndAreDropped", 8,
                   RleStream(8).Run(7, 3).Run(2, 5).EndOfLine().Run(1, 6).EndOfBitmap(),
                   Rows{{3, 3, 3, 3, 3, 3, 3}, {6, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle4AbsolutePastRowIsClipped", 4,
                   RleStream(4).Absolute({1, 2, 3, 4, 5, 6, 7, 8, 9}).EndOfLine().Run(1, 0xA0).EndOfBitmap(),
                   Rows{{1, 2, 3, 4, 5, 6, 7}, {10, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle8DeltaPastRowEndDropsRun", 8,
                   RleStream(8).Run(1, 1).Delta(10, 0).Run(2, 2).EndOfLine().Run(1, 3).EndOfBitmap(),
                   Rows{{1, 0, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  cases.push_back({"Rle8DeltaPastTopStops", 8,
                   RleStream(8).Run(2, 1).Delta(0, 5).Run(2, 2).EndOfLine().Run(7, 3).EndOfBitmap(),
                   Rows{{1, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}}});
  return cases;
}

std::vector<std::uint8_t> RleFile(const RleCase& c) {
  BmpFileRecipe recipe;
  recipe.width = kWidth;
  recipe.height = static_cast<std::int32_t>(c.storedRows.size());
  recipe.bitCount = static_cast<std::uint16_t>(c.bitsPerIndex);
  recipe.compression = c.bitsPerIndex == 8 ? kBmpRle8 : kBmpRle4;
  recipe.palette = SixteenColours();
  recipe.pixels = c.stream.bytes();
  return BuildBmp(recipe);
}

class LoadImageRleTest : public LeakCheckedTest, public ::testing::WithParamInterface<RleCase> {};

TEST_P(LoadImageRleTest, DecodesToUncompressedIndices) {
  const RleCase& c = GetParam();
  if (c.endsWithoutEndCode && RunningOnWine()) {
    GTEST_SKIP() << "Wine's loader drops the last codes of a stream that has no end code";
  }
  const int height = static_cast<int>(c.storedRows.size());
  const TempFile temp(RleFile(c));
  const OwnedBitmap bitmap = LoadBmpFile(temp.path());
  ASSERT_TRUE(bitmap);
  const auto section = DescribeSection(bitmap.get());
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(section->dsBm.bmBitsPixel, c.bitsPerIndex);
  EXPECT_EQ(section->dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(section->dsBmih.biHeight, height);

  const auto expectedIndex = [&](int x, int y) { return c.storedRows[height - 1 - y][x]; };
  std::string wrong;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (StoredValue(*section, x, y) != expectedIndex(x, y)) {
        wrong += " (" + std::to_string(x) + "," + std::to_string(y) + ")=" +
                 std::to_string(StoredValue(*section, x, y));
      }
    }
  }
  EXPECT_EQ(wrong, "");
  const std::vector<BmpColour> palette = SixteenColours();
  Picture expected(kWidth, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const BmpColour& colour = palette[expectedIndex(x, y)];
      expected.at(x, y) = (std::uint32_t{colour.red} << 16) | (std::uint32_t{colour.green} << 8) | colour.blue;
    }
  }
  EXPECT_TRUE(ColoursMatch(DrawnColours(bitmap.get()), expected));
}

INSTANTIATE_TEST_SUITE_P(CornerCases, LoadImageRleTest, ::testing::ValuesIn(RleCases()),
                         [](const ::testing::TestParamInfo<RleCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace varne::test
