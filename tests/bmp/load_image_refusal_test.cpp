// Files and paths LoadImageA must refuse: none, with nothing left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "bmp_writer/bmp_writer.h"
#include "tests/bmp/section_contents.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/refused_paths.h"
#include "tests/support/temp_file.h"

namespace varne::test {
namespace {

struct RefusedCase {
  const char* name;
  std::vector<std::uint8_t> file;
  bool wineLoadsIt = false;  // Wine's loader makes some bitmap of it all the same
};

// A valid file of the given depth and compression, 8x2 unless asked
// otherwise (a negative height is top-down), before breaking it.
BmpFileRecipe Plain(int bitCount, std::uint32_t compression = kBmpRgb, std::int32_t width = 8,
                    std::int32_t height = 2) {
  BmpFileRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bitCount = static_cast<std::uint16_t>(bitCount);
  recipe.compression = compression;
  if (bitCount <= 8) recipe.palette.assign(std::size_t{1} << bitCount, BmpColour{10, 20, 30});
  recipe.pixels.assign(BmpRowBytes(width, bitCount) * static_cast<std::size_t>(std::abs(height)), 0x11);
  return recipe;
}

template <typename Change>
std::vector<std::uint8_t> Broken(BmpFileRecipe recipe, Change change) {
  change(recipe);
  return BuildBmp(recipe);
}

std::vector<RefusedCase> RefusedCases() {
  std::vector<RefusedCase> cases;
  cases.push_back({"TwoBitsPerPixel", BuildBmp(Plain(2))});
  cases.push_back({"SevenBitsPerPixel", Broken(Plain(8), [](auto& s) { s.bitCount = 7; })});
  cases.push_back({"SixtyFourBitsPerPixel", BuildBmp(Plain(64))});
  cases.push_back({"ZeroBitsPerPixel", Broken(Plain(24), [](auto& s) { s.bitCount = 0; })});
  cases.push_back({"EmbeddedJpeg", Broken(Plain(24), [](auto& s) { s.bitCount = 0; s.compression = kBmpJpeg; })});
  cases.push_back({"EmbeddedPng", Broken(Plain(24), [](auto& s) { s.bitCount = 0; s.compression = kBmpPng; })});
  cases.push_back({"Rle24", Broken(Plain(24), [](auto& s) { s.compression = kBmpJpeg; }), true});
  cases.push_back({"HuffmanOneBit", Broken(Plain(1), [](auto& s) { s.compression = kBmpBitfields; }), true});
  cases.push_back({"UnknownCompression", Broken(Plain(8), [](auto& s) { s.compression = 9; }), true});
  cases.push_back({"Rle8AtFourBits", Broken(Plain(4), [](auto& s) { s.compression = kBmpRle8; }), true});
  cases.push_back({"Rle4AtEightBits", Broken(Plain(8), [](auto& s) { s.compression = kBmpRle4; }), true});
  cases.push_back({"ZeroWidth", Broken(Plain(24), [](auto& s) { s.width = 0; })});
  cases.push_back({"NegativeWidth", Broken(Plain(24), [](auto& s) { s.width = -8; })});
  cases.push_back({"ZeroHeight", Broken(Plain(24), [](auto& s) { s.height = 0; })});
  cases.push_back({"ZeroPlanes", Broken(Plain(24), [](auto& s) { s.planes = 0; })});
  cases.push_back({"TwoPlanes", Broken(Plain(24), [](auto& s) { s.planes = 2; })});
  cases.push_back({"Os2V2ShortHeader", Broken(Plain(8), [](auto& s) { s.headerBytes = 16; })});
  cases.push_back({"Os2V2Header", Broken(Plain(8), [](auto& s) { s.headerBytes = 64; })});
  cases.push_back({"OddHeaderSize", Broken(Plain(8), [](auto& s) { s.headerBytes = 66; })});
  cases.push_back({"AbsurdDimensions", Broken(Plain(24), [](auto& s) { s.width = 3000000; s.height = 2000000; })});
  // Whole files, refused only for the platform's limit of 65535 a side.
  cases.push_back({"WiderThan65535", BuildBmp(Plain(1, kBmpRgb, 65536, 1))});
  cases.push_back({"HigherThan65535", BuildBmp(Plain(1, kBmpRgb, 1, 65536))});
  std::vector<std::uint8_t> notBm = BuildBmp(Plain(24));
  notBm[1] = 'A';
  cases.push_back({"NotBmSignature", notBm});
  cases.push_back({"EmptyFile", {}});
  std::vector<std::uint8_t> cutHeader = BuildBmp(Plain(24));
  cutHeader.resize(30);
  cases.push_back({"FileEndsInsideHeader", cutHeader, true});
  return cases;
}

class LoadImageRefusalTest : public LeakCheckedTest,
                             public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(LoadImageRefusalTest, GivesNone) {
  if (GetParam().wineLoadsIt && RunningOnWine()) {
    GTEST_SKIP() << "Wine's loader accepts this file; the platform's choice is not measured";
  }
  const TempFile temp(GetParam().file);
  EXPECT_FALSE(LoadBmpFile(temp.path()));
}

INSTANTIATE_TEST_SUITE_P(Refused, LoadImageRefusalTest, ::testing::ValuesIn(RefusedCases()),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) {
                           return std::string(info.param.name);
                         });

class RefusedPathTest : public LeakCheckedTest, public ::testing::WithParamInterface<RefusedPath> {};

TEST_P(RefusedPathTest, GivesNone) {
  const ScratchFolder folder;
  const RefusedPath::Laid laid = GetParam().lay(folder.path());
  if (!laid.control.empty()) {
    EXPECT_TRUE(LoadBmpFile(laid.control)) << "the file itself is a bitmap";
  }
  EXPECT_FALSE(LoadBmpFile(laid.path));
}

INSTANTIATE_TEST_SUITE_P(Paths, RefusedPathTest, ::testing::ValuesIn(RefusedPaths()),
                         [](const ::testing::TestParamInfo<RefusedPath>& info) {
                           return std::string(info.param.name);
                         });

class LoadImagePathTest : public LeakCheckedTest {};

TEST_F(LoadImagePathTest, SidesOf65535StillLoad) {
  for (const auto& [width, height] : {std::pair{65535, 1}, std::pair{1, -65535}}) {
    const TempFile temp(BuildBmp(Plain(1, kBmpRgb, width, height)));
    EXPECT_TRUE(LoadBmpFile(temp.path())) << width << " x " << height;
  }
}

TEST_F(LoadImagePathTest, LoadingLeavesTheFileAsItWas) {
  BmpFileRecipe recipe = Plain(8);
  const std::vector<std::uint8_t> bytes = BuildBmp(recipe);
  const TempFile temp(bytes);
  const auto before = std::filesystem::last_write_time(temp.path());
  {
    const OwnedBitmap bitmap = LoadBmpFile(temp.path());
    ASSERT_TRUE(bitmap);
  }
  EXPECT_EQ(std::filesystem::file_size(temp.path()), bytes.size());
  EXPECT_EQ(std::filesystem::last_write_time(temp.path()), before);
}

}  // namespace
}  // namespace varne::test
