// Every uncompressed depth through LoadImageA, in both row orders and every
// header size that can carry it: the section's shape, its stored values and
// the colours they draw as.
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

struct DepthCase {
  int bitCount;
  std::uint32_t headerBytes;
  bool topDown;
};

std::string DepthCaseName(const ::testing::TestParamInfo<DepthCase>& info) {
  return "Bpp" + std::to_string(info.param.bitCount) + "Header" +
         std::to_string(info.param.headerBytes) + (info.param.topDown ? "TopDown" : "BottomUp");
}

std::array<std::uint32_t, 3> DefaultMasks(int bitCount) { return bitCount == 16 ? kMasks555 : kMasks32; }

// Why Wine cannot run this case, or nothing.
const char* WineLimitation(const DepthCase& c) {
  if (!RunningOnWine()) return nullptr;
  if (c.topDown) return "Wine's loader returns top-down files black";
  if (c.headerBytes == 52 || c.headerBytes == 56) {
    return "Wine's loader refuses 52 and 56-byte headers";
  }
  if (c.headerBytes == 12 && c.bitCount <= 8) {
    return "Wine's loader maps the indices of core-header palette files to other entries";
  }
  return nullptr;
}

class LoadImageDepthTest : public LeakCheckedTest,
                           public ::testing::WithParamInterface<DepthCase> {};

TEST_P(LoadImageDepthTest, LoadsFileOwnDepthBottomUpWithExactPixels) {
  const DepthCase& c = GetParam();
  if (const char* limitation = WineLimitation(c)) GTEST_SKIP() << limitation;
  // 13 pixels: no depth's rows end on a 32-bit boundary, so padding matters.
  constexpr int kWidth = 13;
  constexpr int kHeight = 6;
  const int paletteSize = c.bitCount <= 8 ? 1 << c.bitCount : 0;
  const Picture image =
      RandomStoredPicture(kWidth, kHeight, c.bitCount, paletteSize, DefaultMasks(c.bitCount),
                          1000u + c.bitCount * 7 + c.headerBytes + (c.topDown ? 1 : 0));
  const std::vector<std::uint8_t> file = BuildBmp(UncompressedRecipe(image, c.headerBytes, c.topDown));
  const TempFile temp(file);

  const OwnedBitmap bitmap = LoadBmpFile(temp.path());
  ASSERT_TRUE(bitmap);
  const auto section = DescribeSection(bitmap.get());
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(section->dsBm.bmWidth, kWidth);
  EXPECT_EQ(section->dsBm.bmHeight, kHeight);
  EXPECT_EQ(section->dsBm.bmBitsPixel, c.bitCount);
  EXPECT_EQ(section->dsBmih.biHeight, kHeight) << "sections are always bottom-up";
  EXPECT_EQ(section->dsBmih.biCompression,
            static_cast<DWORD>(c.bitCount == 16 ? BI_BITFIELDS : BI_RGB));
  if (c.bitCount == 16) {
    EXPECT_EQ(section->dsBitfields[0], 0x7C00u);
    EXPECT_EQ(section->dsBitfields[1], 0x03E0u);
    EXPECT_EQ(section->dsBitfields[2], 0x001Fu);
  }

  int wrongValues = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      // At 32 bpp the whole word, fourth byte included, must survive.
      if (StoredValue(*section, x, y) != image.at(x, y)) ++wrongValues;
    }
  }
  EXPECT_EQ(wrongValues, 0);

  const int tolerance = c.bitCount == 16 ? 4 : 0;
  EXPECT_TRUE(ColoursMatch(DrawnColours(bitmap.get()), ColoursOf(image), tolerance));
}

std::vector<DepthCase> AllDepthCases() {
  std::vector<DepthCase> cases;
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const std::uint32_t header : {12u, 40u, 52u, 56u, 108u, 124u}) {
      const bool coreDepth = bits != 16 && bits != 32;
      if (header == 12 && !coreDepth) continue;
      cases.push_back({bits, header, false});
      // The core header stores an unsigned height: it has no top-down form.
      if (header != 12) cases.push_back({bits, header, true});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllDepths, LoadImageDepthTest, ::testing::ValuesIn(AllDepthCases()),
                         DepthCaseName);

}  // namespace
}  // namespace varne::test
