#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "effects/raster/raster_ops.h"
#include "image/colour_order.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

enum class KeySource { ColourImage, KeyMask };

struct Rims {
  Picture upperLeft;
  Picture lowerRight;
};

// Builds both rims of `picture` the way the effects do: from the colour
// image with its background set to the key, or from the key mask.
Rims BuildRims(const Picture& picture, DWORD keyPixel, KeySource from) {
  const int w = picture.width;
  const int h = picture.height;
  OwnedBitmap image(DibFromPicture(picture));
  const HDC screen = GetDC(nullptr);
  const HDC imageContext = CreateCompatibleDC(screen);
  const HDC keyContext = CreateCompatibleDC(screen);
  const HDC maskContext = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HBITMAP key = CreateBitmap(w, h, 1, 1, nullptr);
  const HBITMAP upper = CreateBitmap(w, h, 1, 1, nullptr);
  const HBITMAP lower = CreateBitmap(w, h, 1, 1, nullptr);

  const HGDIOBJ previousImage = SelectObject(imageContext, image.get());
  SetBkColor(imageContext, ColorrefFromPixel(keyPixel));
  const HGDIOBJ previousKey = SelectObject(keyContext, key);
  BitBlt(keyContext, 0, 0, w, h, imageContext, 0, 0, SRCCOPY);
  BuildRimMasks(from == KeySource::KeyMask ? keyContext : imageContext, maskContext, w, h, upper,
                lower);
  SelectObject(keyContext, previousKey);
  SelectObject(imageContext, previousImage);

  Rims rims{PictureFromMask(upper, w, h), PictureFromMask(lower, w, h)};
  DeleteObject(key);
  DeleteObject(upper);
  DeleteObject(lower);
  DeleteDC(imageContext);
  DeleteDC(keyContext);
  DeleteDC(maskContext);
  return rims;
}

constexpr DWORD kKey = 0x00F0E0D0;
constexpr DWORD kShape = 0x00102030;

// The positions of the 0 bits, for readable expectations.
std::vector<std::pair<int, int>> ClearBits(const Picture& mask) {
  std::vector<std::pair<int, int>> clear;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (mask.at(x, y) != 1) clear.emplace_back(x, y);
    }
  }
  return clear;
}

using Positions = std::vector<std::pair<int, int>>;

class RimMasksTest : public LeakCheckedTest, public ::testing::WithParamInterface<KeySource> {};

TEST_P(RimMasksTest, RandomShapesMatchTheDefinitionBitForBit) {
  std::mt19937 random(20261208);
  // Thin and single-pixel sizes hit the rows and columns the shifted copy
  // never reaches; odd widths cross mask word boundaries.
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2},  {3, 5},
                                       {33, 7}, {40, 23}, {65, 3}, {17, 64}};
  // Near colours would tell a comparison that drops low bits from an exact one.
  const std::vector<std::uint32_t> palette = {kKey, kShape, 0x00F0E0D1, 0x00FFFFFF, 0x00000000};
  for (const auto& [w, h] : sizes) {
    for (int round = 0; round < 3; ++round) {
      const Picture picture = RandomPicture(random, w, h, palette);
      const Picture key = KeyOf(picture, kKey);
      const Rims rims = BuildRims(picture, kKey, GetParam());
      const std::string where = std::to_string(w) + "x" + std::to_string(h);
      EXPECT_PRED_FORMAT2(PicturesEqual, rims.upperLeft, UpperLeftRimOf(key)) << where;
      EXPECT_PRED_FORMAT2(PicturesEqual, rims.lowerRight, LowerRightRimOf(key)) << where;
    }
  }
}

TEST_P(RimMasksTest, AllKeyGivesNoMarks) {
  const Rims rims = BuildRims(Picture(12, 7, kKey), kKey, GetParam());
  EXPECT_PRED_FORMAT2(PicturesEqual, rims.upperLeft, Picture(12, 7, 1));
  EXPECT_PRED_FORMAT2(PicturesEqual, rims.lowerRight, Picture(12, 7, 1));
}

TEST_P(RimMasksTest, SinglePixelIsMarkedOnBothDiagonals) {
  Picture picture(12, 12, kKey);
  picture.at(5, 5) = kShape;
  const Rims rims = BuildRims(picture, kKey, GetParam());
  EXPECT_EQ(ClearBits(rims.upperLeft), (Positions{{4, 4}}));
  EXPECT_EQ(ClearBits(rims.lowerRight), (Positions{{6, 6}}));
}

TEST_P(RimMasksTest, ShapeInTheCornersMarksOnlyInside) {
  Picture picture(8, 6, kKey);
  picture.at(0, 0) = kShape;
  picture.at(7, 5) = kShape;
  const Rims rims = BuildRims(picture, kKey, GetParam());
  EXPECT_EQ(ClearBits(rims.upperLeft), (Positions{{6, 4}}));
  EXPECT_EQ(ClearBits(rims.lowerRight), (Positions{{1, 1}}));
}

TEST_P(RimMasksTest, OnePixelImageHasUnmarkedRims) {
  for (const DWORD pixel : {kKey, kShape}) {
    const Rims rims = BuildRims(Picture(1, 1, pixel), kKey, GetParam());
    EXPECT_PRED_FORMAT2(PicturesEqual, rims.upperLeft, Picture(1, 1, 1));
    EXPECT_PRED_FORMAT2(PicturesEqual, rims.lowerRight, Picture(1, 1, 1));
  }
}

INSTANTIATE_TEST_SUITE_P(BothKeySources, RimMasksTest,
                         ::testing::Values(KeySource::ColourImage, KeySource::KeyMask),
                         [](const ::testing::TestParamInfo<KeySource>& info) {
                           return info.param == KeySource::KeyMask ? std::string("FromKeyMask")
                                                                   : std::string("FromColour");
                         });

}  // namespace
}  // namespace varne::test
