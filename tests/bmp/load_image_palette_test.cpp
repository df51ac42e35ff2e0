// Palettes of every length, pixel data at unusual offsets, and files that
// end early, through LoadImageA.
#include <gtest/gtest.h>

#include "tests/bmp/bmp_model.h"
#include "tests/bmp/colour_match.h"
#include "tests/bmp/section_contents.h"
#include "tests/support/live_objects.h"
#include "tests/support/temp_file.h"

namespace varne::test {
namespace {

class LoadImagePaletteTest : public LeakCheckedTest {
 protected:
  // Loads `recipe` and compares its drawn colours with `image`.
  ::testing::AssertionResult ShowsModel(const BmpFileRecipe& recipe, const Picture& image) {
    const TempFile temp(BuildBmp(recipe));
    const OwnedBitmap bitmap = LoadBmpFile(temp.path());
    if (!bitmap) return ::testing::AssertionFailure() << "not loaded";
    const auto section = DescribeSection(bitmap.get());
    if (!section) return ::testing::AssertionFailure() << "no DIBSECTION";
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        if (StoredValue(*section, x, y) != image.at(x, y)) {
          return ::testing::AssertionFailure() << "stored value differs at " << x << "," << y;
        }
      }
    }
    return ColoursMatch(DrawnColours(bitmap.get()), ColoursOf(image));
  }
};

TEST_F(LoadImagePaletteTest, IndicesPastAShortPaletteAreBlack) {
  for (const int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    const int entries = bits == 1 ? 1 : (1 << bits) / 3;
    // Random values cover the whole index range, most of it past the palette.
    const Picture image = RandomStoredPicture(11, 4, bits, entries, {}, 300u + bits);
    EXPECT_TRUE(ShowsModel(UncompressedRecipe(image, 40, false), image));
  }
}

TEST_F(LoadImagePaletteTest, OversizedPaletteUsesItsFirstEntries) {
  const Picture image = RandomStoredPicture(10, 3, 4, 16, {}, 41u);
  BmpFileRecipe recipe = UncompressedRecipe(image, 40, false);
  recipe.coloursUsed = 300;
  for (int i = 16; i < 300; ++i) recipe.palette.push_back({255, 0, 255});
  EXPECT_TRUE(ShowsModel(recipe, image));
}

TEST_F(LoadImagePaletteTest, PixelDataAfterAGapIsFoundByItsOffset) {
  for (const std::uint32_t header : {12u, 40u, 124u}) {
    SCOPED_TRACE(header);
    const Picture image = RandomStoredPicture(6, 3, 24, 0, {}, 51u);
    BmpFileRecipe recipe = UncompressedRecipe(image, header, false);
    recipe.pixelOffset = 14 + header + 333;
    EXPECT_TRUE(ShowsModel(recipe, image));
  }
}

TEST_F(LoadImagePaletteTest, ZeroColoursUsedMeansTheFullPalette) {
  const Picture image = RandomStoredPicture(8, 8, 8, 256, {}, 61u);
  BmpFileRecipe recipe = UncompressedRecipe(image, 40, false);
  recipe.coloursUsed = 0;
  EXPECT_TRUE(ShowsModel(recipe, image));
}

TEST_F(LoadImagePaletteTest, TruncatedPixelDataLeavesTheRestBlack) {
  // 24-bit, 5 pixels a row: 15 bytes and a pad byte. The file stops two
  // whole rows and 6 bytes into the third stored row.
  const Picture image = RandomStoredPicture(5, 4, 24, 0, {}, 71u);
  BmpFileRecipe recipe = UncompressedRecipe(image, 40, false);
  recipe.pixels.resize(16 * 2 + 6);
  const TempFile temp(BuildBmp(recipe));
  const OwnedBitmap bitmap = LoadBmpFile(temp.path());
  ASSERT_TRUE(bitmap);
  // Stored rows are bottom-up: displayed rows 3 and 2 are complete, row 1
  // keeps its first two pixels, row 0 is empty.
  Picture expected = ColoursOf(image);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      if (!(y >= 2 || (y == 1 && x < 2))) expected.at(x, y) = 0;
    }
  }
  EXPECT_TRUE(ColoursMatch(DrawnColours(bitmap.get()), expected));
}

}  // namespace
}  // namespace varne::test
