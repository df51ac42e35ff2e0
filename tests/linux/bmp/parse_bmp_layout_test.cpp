// The decoder's judgement of headers: what each hostile or unusual field
// leads to, checked on the layout before any pixel memory exists.
#include <gtest/gtest.h>

#include <climits>

#include "bmp_writer/bmp_writer.h"
#include "platform/bmp/test_seam.h"

namespace varne::bmp {
namespace {

BmpFileRecipe Plain(int bitCount, std::int32_t width = 4, std::int32_t height = 3) {
  BmpFileRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bitCount = static_cast<std::uint16_t>(bitCount);
  if (bitCount <= 8) recipe.palette.assign(std::size_t{1} << bitCount, BmpColour{1, 2, 3});
  recipe.pixels.assign(BmpRowBytes(width > 0 ? width : 1, bitCount) * 3, 0x5A);
  return recipe;
}

std::variant<BmpLayout, DecodeError> Parse(const BmpFileRecipe& recipe) {
  return ParseBmpLayout(BuildBmp(recipe));
}

DecodeError ErrorOf(const BmpFileRecipe& recipe) {
  const auto result = Parse(recipe);
  EXPECT_TRUE(std::holds_alternative<DecodeError>(result));
  return std::holds_alternative<DecodeError>(result) ? std::get<DecodeError>(result)
                                                     : DecodeError::kNotBitmap;
}

BmpLayout LayoutOf(const BmpFileRecipe& recipe) {
  auto result = Parse(recipe);
  EXPECT_TRUE(std::holds_alternative<BmpLayout>(result));
  return std::holds_alternative<BmpLayout>(result) ? std::get<BmpLayout>(result) : BmpLayout{};
}

TEST(ParseBmpLayoutTest, RefusesDimensionsWithoutAPositiveCounterpartOrOverTheCap) {
  BmpFileRecipe recipe = Plain(24);
  recipe.height = INT32_MIN;
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadDimensions);
  recipe.height = 1;
  recipe.width = INT32_MAX;
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kTooLarge);
  // 20000 x 20000 at 32 bits is 1.6 GB: a tiny file must not ask for that.
  recipe = Plain(32);
  recipe.width = 20000;
  recipe.height = -20000;
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kTooLarge);
}

TEST(ParseBmpLayoutTest, RefusesPixelOffsetsOutsideTheData) {
  BmpFileRecipe recipe = Plain(8);
  const std::size_t size = BuildBmp(recipe).size();
  recipe.pixelOffset = static_cast<std::uint32_t>(size) + 10;  // past the end
  recipe.pixels.clear();
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadPixelOffset);
  recipe = Plain(8);
  recipe.pixelOffset = 20;  // inside the info header
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadPixelOffset);
  recipe.pixelOffset = 0;
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadPixelOffset);
}

TEST(ParseBmpLayoutTest, RefusesMasksThatOverlapSpillOrHaveGaps) {
  BmpFileRecipe recipe = Plain(16);
  recipe.compression = kBmpBitfields;
  recipe.masks = {0xF800, 0x0FE0, 0x001F, 0};
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadMasks);
  recipe.masks = {0x1F800, 0x07E0, 0x001F, 0};  // red past 16 bits
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadMasks);
  recipe.masks = {0xF000, 0x0A00, 0x001F, 0};  // green with a gap
  EXPECT_EQ(ErrorOf(recipe), DecodeError::kBadMasks);
}

TEST(ParseBmpLayoutTest, AllZeroMasksMeanTheDefaults) {
  BmpFileRecipe recipe = Plain(16);
  recipe.compression = kBmpBitfields;
  const BmpLayout sixteen = LayoutOf(recipe);
  EXPECT_EQ(sixteen.sectionCompression, static_cast<DWORD>(BI_BITFIELDS));
  EXPECT_EQ(sixteen.masks, (std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}));
  EXPECT_EQ(sixteen.encoding, PixelEncoding::kRows);
  recipe = Plain(32);
  recipe.compression = kBmpBitfields;
  const BmpLayout thirtyTwo = LayoutOf(recipe);
  EXPECT_EQ(thirtyTwo.sectionCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(thirtyTwo.encoding, PixelEncoding::kRows);
}

TEST(ParseBmpLayoutTest, PaletteIsCutToTheDepthAndToTheGapBeforeThePixels) {
  BmpFileRecipe recipe = Plain(4);
  recipe.coloursUsed = 0xFFFFFFFFu;
  EXPECT_EQ(LayoutOf(recipe).colours.size(), 16u);

  // 256 entries claimed, room for 100 before the pixels: the rest black,
  // never the pixel bytes read as colours.
  recipe = Plain(8);
  recipe.palette.assign(100, BmpColour{200, 150, 100});
  recipe.coloursUsed = 0;
  const BmpLayout layout = LayoutOf(recipe);
  ASSERT_EQ(layout.colours.size(), 256u);
  EXPECT_EQ(layout.colours[99].rgbRed, 200);
  EXPECT_EQ(layout.colours[100].rgbRed, 0);
  EXPECT_EQ(layout.colours[255].rgbBlue, 0);
}

TEST(ParseBmpLayoutTest, CoreHeaderPaletteHasThreeByteEntries) {
  BmpFileRecipe recipe = Plain(8);
  recipe.headerBytes = 12;
  recipe.palette = {{10, 20, 30}, {40, 50, 60}};
  const BmpLayout layout = LayoutOf(recipe);
  ASSERT_EQ(layout.colours.size(), 256u);
  EXPECT_EQ(layout.colours[1].rgbRed, 40);
  EXPECT_EQ(layout.colours[1].rgbGreen, 50);
  EXPECT_EQ(layout.colours[1].rgbBlue, 60);
  EXPECT_EQ(layout.colours[2].rgbRed, 0);
}

TEST(ParseBmpLayoutTest, LargeHeadersReadTheirMasksFromInside) {
  for (const std::uint32_t header : {52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(header);
    BmpFileRecipe recipe = Plain(16);
    recipe.headerBytes = header;
    recipe.compression = kBmpBitfields;
    recipe.masks = {0xF800, 0x07E0, 0x001F, 0};
    EXPECT_EQ(LayoutOf(recipe).masks, (std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}));
  }
}

TEST(ParseBmpLayoutTest, EveryFileEndInsideTheHeadersIsATruncatedHeader) {
  const std::vector<std::uint8_t> whole = BuildBmp(Plain(8));
  for (std::size_t size = 2; size < 14 + 40; ++size) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
    const auto result = ParseBmpLayout(cut);
    ASSERT_TRUE(std::holds_alternative<DecodeError>(result)) << size;
    // The header size field itself is only complete at 18 bytes.
    EXPECT_EQ(std::get<DecodeError>(result), DecodeError::kTruncatedHeader) << size;
  }
}

TEST(DecodeBmpTest, TopDownRleIsDecodedAndFlipped) {
  BmpFileRecipe recipe = Plain(8, 4, -2);
  recipe.compression = kBmpRle8;
  recipe.pixels = RleStream(8).Run(4, 7).EndOfLine().Run(2, 9).EndOfBitmap().bytes();
  const auto decoded = DecodeBmp(BuildBmp(recipe));
  ASSERT_TRUE(std::holds_alternative<DecodedBmp>(decoded));
  const DecodedBmp& bmp = std::get<DecodedBmp>(decoded);
  // First stored row is the top one, which lands last in a bottom-up section.
  EXPECT_EQ(bmp.bits, (std::vector<std::uint8_t>{9, 9, 0, 0, 7, 7, 7, 7}));
}

TEST(DecodeBmpTest, RowPaddingOfUncompressedFilesIsCopiedButRleNeverWritesPastTheWidth) {
  // Odd width at 4 bits: the last byte of each row holds one pixel.
  BmpFileRecipe recipe = Plain(4, 3, 1);
  recipe.compression = kBmpRle4;
  recipe.pixels = RleStream(4).Run(8, 0xAB).EndOfBitmap().bytes();
  const auto decoded = DecodeBmp(BuildBmp(recipe));
  ASSERT_TRUE(std::holds_alternative<DecodedBmp>(decoded));
  EXPECT_EQ(std::get<DecodedBmp>(decoded).bits, (std::vector<std::uint8_t>{0xAB, 0xA0, 0, 0}));
}

}  // namespace
}  // namespace varne::bmp
