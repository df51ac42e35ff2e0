#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "effects/raster/raster_ops.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

// The command's colours: red 128, green 128, blue 255 and red 0, green 0,
// blue 160.
constexpr COLORREF kLight = 0x00FF8080;
constexpr COLORREF kDark = 0x00A00000;
constexpr DWORD kWhite = 0x00FFFFFF;
constexpr DWORD kBlack = 0x00000000;

Picture Skin(const Picture& shape, const Picture& skin, int raised = 0, COLORREF a = kLight,
             COLORREF b = kDark) {
  OwnedBitmap shapeImage(DibFromPicture(shape));
  OwnedBitmap skinImage(DibFromPicture(skin));
  OwnedBitmap result(SkinDib(shapeImage.get(), skinImage.get(), raised, a, b));
  EXPECT_NE(result.get(), nullptr);
  EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(shapeImage.get()), shape) << "shape changed";
  EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(skinImage.get()), skin) << "skin changed";
  return PictureFromDib(result.get());
}

// A black disc on white, its (10, 10) well outside the disc.
Picture Disc(int w, int h) {
  Picture shape(w, h, kWhite);
  const int cx = w * 2 / 3;
  const int cy = h * 2 / 3;
  const int r = std::min(w, h) / 4;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) shape.at(x, y) = kBlack;
    }
  }
  return shape;
}

const std::vector<std::uint32_t> kSkinColours = {0x00112233, 0x00C0FFEE, 0x00FF0000, 0x000000FF,
                                                 0x00FFFFFF};

using SkinDibTest = LeakCheckedTest;

TEST_F(SkinDibTest, SkinLargerThanImageIsOneClippedTile) {
  std::mt19937 random(5);
  const Picture shape = Disc(30, 24);
  const Picture skin = RandomPicture(random, 50, 41, kSkinColours);
  const Picture result = Skin(shape, skin);
  EXPECT_EQ(result.width, 30);
  EXPECT_EQ(result.height, 24);
  EXPECT_PRED_FORMAT2(PicturesEqual, result, ModelSkin(shape, skin, 0, kLight, kDark));
}

TEST_F(SkinDibTest, OnePixelSkinFillsTheShapeWithItsColour) {
  const Picture shape = Disc(40, 40);
  const Picture result = Skin(shape, Picture(1, 1, 0x00C0FFEE));
  const Picture key = KeyOf(shape, kWhite);
  const Picture upper = UpperLeftRimOf(key);
  const Picture lower = LowerRightRimOf(key);
  int shapePixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (key.at(x, y) == 0) {
        ++shapePixels;
        EXPECT_EQ(result.at(x, y), 0x00C0FFEEu) << x << "," << y;
      } else if (upper.at(x, y) == 1 && lower.at(x, y) == 1) {
        EXPECT_EQ(result.at(x, y), kWhite) << x << "," << y;
      }
    }
  }
  EXPECT_GT(shapePixels, 50);
}

TEST_F(SkinDibTest, BlackOnWhiteShowsTexturedPartsWithDarkRimAboveLeft) {
  std::mt19937 random(6);
  const Picture shape = Disc(36, 30);
  const Picture skin = RandomPicture(random, 7, 5, kSkinColours);
  const Picture result = Skin(shape, skin);
  EXPECT_PRED_FORMAT2(PicturesEqual, result, ModelSkin(shape, skin, 0, kLight, kDark));
  // The disc's centre is (24, 20), radius 7: its top-left diagonal edge is
  // dark, its bottom-right light, the corner of the page white, its middle
  // the skin.
  EXPECT_EQ(result.at(0, 0), kWhite);
  EXPECT_EQ(result.at(24, 20), skin.at(24 % 7, 20 % 5));
  EXPECT_EQ(result.at(24 - 5, 20 - 5), PixelOf(kDark));
  EXPECT_EQ(result.at(24 + 5, 20 + 5), PixelOf(kLight));
}

TEST_F(SkinDibTest, OneColourImageStaysThatColour) {
  std::mt19937 random(7);
  const Picture skin = RandomPicture(random, 4, 3, kSkinColours);
  EXPECT_PRED_FORMAT2(PicturesEqual, Skin(Picture(25, 13, 0x00345678), skin),
                      Picture(25, 13, 0x00345678));
}

TEST_F(SkinDibTest, RandomInputsFollowThePixelRule) {
  std::mt19937 random(8);
  std::uniform_int_distribution<int> size(1, 45);
  std::uniform_int_distribution<int> coin(0, 1);
  const std::vector<std::uint32_t> shapeColours = {kWhite, kBlack, 0x00FFFFFE, 0x00808080};
  for (int round = 0; round < 40; ++round) {
    const Picture shape = RandomPicture(random, size(random), size(random), shapeColours);
    const Picture skin = RandomPicture(random, size(random) / 3 + 1, size(random) / 3 + 1,
                                       kSkinColours);
    const int raised = coin(random);
    EXPECT_PRED_FORMAT2(PicturesEqual, Skin(shape, skin, raised, 0x00010203, 0x00F0E0D0),
                        ModelSkin(shape, skin, raised, 0x00010203, 0x00F0E0D0))
        << "round " << round << " raised " << raised;
  }
}

// Below 11 pixels across or down there is no (10, 10); the nearest pixel
// gives the key.
TEST_F(SkinDibTest, TinyImagesTakeTheKeyFromTheNearestPixel) {
  // Each key colour fills a corner block around the sampled pixel, so the
  // sample is background off both rims; with no key at all the block would
  // show the skin.
  const Picture skin(2, 2, 0x00C0FFEE);
  Picture narrow(5, 14, kBlack);
  for (int y = 9; y < 14; ++y) {
    for (int x = 3; x < 5; ++x) narrow.at(x, y) = kWhite;
  }
  const Picture narrowResult = Skin(narrow, skin);
  EXPECT_PRED_FORMAT2(PicturesEqual, narrowResult, ModelSkin(narrow, skin, 0, kLight, kDark));
  EXPECT_EQ(narrowResult.at(4, 10), kWhite);
  EXPECT_EQ(narrowResult.at(4, 13), kWhite);
  EXPECT_EQ(narrowResult.at(1, 1), 0x00C0FFEEu);

  Picture low(16, 3, kWhite);
  for (int y = 1; y < 3; ++y) {
    for (int x = 9; x < 16; ++x) low.at(x, y) = kBlack;
  }
  const Picture lowResult = Skin(low, skin);
  EXPECT_PRED_FORMAT2(PicturesEqual, lowResult, ModelSkin(low, skin, 0, kLight, kDark));
  EXPECT_EQ(lowResult.at(10, 2), kBlack);
  EXPECT_EQ(lowResult.at(3, 0), 0x00C0FFEEu);

  EXPECT_EQ(Skin(Picture(1, 1, 0x00445566), skin).at(0, 0), 0x00445566u);
}

TEST_F(SkinDibTest, UnreadableInputsGiveNone) {
  OwnedBitmap image(DibFromPicture(Picture(4, 4, 0)));
  EXPECT_EQ(SkinDib(nullptr, image.get(), 0, kLight, kDark), nullptr);
  EXPECT_EQ(SkinDib(image.get(), nullptr, 0, kLight, kDark), nullptr);
  const HBITMAP released = DibFromPicture(Picture(3, 3, 0));
  DeleteObject(released);
  EXPECT_EQ(SkinDib(image.get(), released, 0, kLight, kDark), nullptr);
}

}  // namespace
}  // namespace varne::test
