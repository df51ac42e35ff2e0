// BI_BITFIELDS and BI_ALPHABITFIELDS files through LoadImageA. 16-bit
// files stay 16-bit sections described by masks; 32-bit files become
// 0x00RRGGBB whatever their masks, keeping the fourth byte only when the
// masks already are the standard ones.
#include <gtest/gtest.h>

#include <string>

#include "tests/bmp/bmp_model.h"
#include "tests/bmp/colour_match.h"
#include "tests/bmp/section_contents.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/temp_file.h"

namespace varne::test {
namespace {

struct MaskCase {
  const char* name;
  int bitCount;
  std::uint32_t compression;
  std::uint32_t headerBytes;
  std::array<std::uint32_t, 4> masks;  // red, green, blue, alpha
  int tolerance;
};

std::vector<MaskCase> MaskCases() {
  return {
      {"Rgb565AfterInfoHeader", 16, kBmpBitfields, 40, {0xF800, 0x07E0, 0x001F, 0}, 4},
      {"Rgb555InV4Header", 16, kBmpBitfields, 108, {0x7C00, 0x03E0, 0x001F, 0}, 4},
      {"Argb4444InV5Header", 16, kBmpBitfields, 124, {0x0F00, 0x00F0, 0x000F, 0xF000}, 4},
      {"Rgb565AlphaBitfields", 16, kBmpAlphaBitfields, 40, {0xF800, 0x07E0, 0x001F, 0}, 4},
      // A channel without bits reads 0; the section gets 5-5-5 words.
      {"Rg88NoBlue", 16, kBmpBitfields, 40, {0xFF00, 0x00FF, 0, 0}, 8},
      {"StandardWithAlphaKeepsFourthByte", 32, kBmpBitfields, 124,
       {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 0},
      {"XbgrRebuilt", 32, kBmpBitfields, 40, {0xFF000000, 0x00FF0000, 0x0000FF00, 0}, 0},
      {"Rgb101010TopBitsKept", 32, kBmpBitfields, 40, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 0},
      {"Rgb7187NarrowChannelsWidened", 32, kBmpBitfields, 40,
       {0xFE000000, 0x01FFFF80, 0x0000007F, 0}, 0},
      {"BgraAlphaBitfields", 32, kBmpAlphaBitfields, 40,
       {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF}, 0},
  };
}

const char* WineLimitation(const MaskCase& c) {
  if (!RunningOnWine()) return nullptr;
  if (c.compression == kBmpAlphaBitfields) return "Wine's loader draws BI_ALPHABITFIELDS files black";
  return nullptr;
}

class LoadImageMasksTest : public LeakCheckedTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(LoadImageMasksTest, ShowsTheMaskedColours) {
  const MaskCase& c = GetParam();
  if (const char* limitation = WineLimitation(c)) GTEST_SKIP() << limitation;
  constexpr int kWidth = 9;
  constexpr int kHeight = 5;
  const Picture image = RandomStoredPicture(kWidth, kHeight, c.bitCount, 0,
                                            {c.masks[0], c.masks[1], c.masks[2]}, 77u + c.masks[0]);
  BmpFileRecipe recipe = UncompressedRecipe(image, c.headerBytes, false);
  recipe.compression = c.compression;
  recipe.masks = c.masks;
  const TempFile temp(BuildBmp(recipe));

  const OwnedBitmap bitmap = LoadBmpFile(temp.path());
  ASSERT_TRUE(bitmap);
  const auto section = DescribeSection(bitmap.get());
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(section->dsBm.bmBitsPixel, c.bitCount);
  EXPECT_EQ(section->dsBm.bmWidth, kWidth);
  EXPECT_EQ(section->dsBm.bmHeight, kHeight);
  EXPECT_TRUE(ColoursMatch(DrawnColours(bitmap.get()), ColoursOf(image), c.tolerance));

  if (c.bitCount == 32) {
    EXPECT_EQ(section->dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
    const bool standard = c.masks[0] == kMasks32[0] && c.masks[1] == kMasks32[1] && c.masks[2] == kMasks32[2];
    int wrongWords = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t want = standard ? image.at(x, y) : ShownPixel(image, x, y);
        if (StoredValue(*section, x, y) != want) ++wrongWords;
      }
    }
    EXPECT_EQ(wrongWords, 0);
    return;
  }
  EXPECT_EQ(section->dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
  // The platform's loader turns every 16-bit file into 5-5-5; this layer
  // keeps the file's own masks and words wherever a section can carry them.
  if (RunningWindowsBuild() || c.masks[2] == 0) {
    EXPECT_EQ(section->dsBitfields[0], 0x7C00u);
    EXPECT_EQ(section->dsBitfields[1], 0x03E0u);
    EXPECT_EQ(section->dsBitfields[2], 0x001Fu);
    return;
  }
  EXPECT_EQ(section->dsBitfields[0], c.masks[0]);
  EXPECT_EQ(section->dsBitfields[1], c.masks[1]);
  EXPECT_EQ(section->dsBitfields[2], c.masks[2]);
  int wrongWords = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) wrongWords += StoredValue(*section, x, y) != image.at(x, y);
  }
  EXPECT_EQ(wrongWords, 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LoadImageMasksTest, ::testing::ValuesIn(MaskCases()),
                         [](const ::testing::TestParamInfo<MaskCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace varne::test
