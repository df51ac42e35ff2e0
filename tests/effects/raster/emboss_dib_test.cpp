#include <gtest/gtest.h>

#include <random>

#include "effects/raster/raster_ops.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

// In the colours this platform reports: Windows and Wine their running
// scheme's.
Picture EmbossModel(const Picture& source, int t) {
  return ModelEmboss(source, t, PixelOf(GetSysColor(COLOR_3DHILIGHT)), PixelOf(GetSysColor(COLOR_3DSHADOW)));
}

Picture Emboss(const Picture& source, int t) {
  const HBITMAP image = DibFromPicture(source);
  OwnedBitmap result(EmbossDib(image, t));
  EXPECT_NE(result.get(), nullptr);
  if (result.get() == nullptr) {
    DeleteObject(image);
    return {};
  }
  BITMAP record{};
  EXPECT_EQ(GetObjectA(image, sizeof(record), &record), 0) << "the input is released";
  return PictureFromDib(result.get());
}

using EmbossDibTest = LeakCheckedTest;

TEST_F(EmbossDibTest, ResultHasTheImageSize) {
  std::mt19937 random(10);
  for (const auto& [w, h] : {std::pair{1, 1}, {37, 5}, {4, 29}}) {
    const Picture result = Emboss(RandomColours(random, w, h), -128);
    EXPECT_EQ(result.width, w);
    EXPECT_EQ(result.height, h);
  }
}

TEST_F(EmbossDibTest, AllDarkImageLeavesTheSurfaceBlack) {
  // Luma 128 and below turns white, so nothing is ink.
  const Picture dark(20, 12, 0x00808080);
  ASSERT_LE(ModelLuma(0x00808080), 128);
  EXPECT_PRED_FORMAT2(PicturesEqual, Emboss(dark, -128), Picture(20, 12, 0));
}

TEST_F(EmbossDibTest, BrightSquareIsDrawnInTheDisabledStyle) {
  Picture source(12, 10, 0x00000000);
  for (int y = 2; y < 6; ++y) {
    for (int x = 3; x < 8; ++x) source.at(x, y) = 0x00FFFFFF;
  }
  const Picture result = Emboss(source, -128);
  EXPECT_PRED_FORMAT2(PicturesEqual, result, EmbossModel(source, -128));
  EXPECT_EQ(result.at(0, 0), 0u) << "untouched pixels stay black";
  EXPECT_EQ(result.at(11, 9), 0u) << "untouched pixels stay black";
}

TEST_F(EmbossDibTest, RandomImagesMatchTheDisabledStyle) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> size(1, 40);
  for (const int t : {-128, 100}) {
    for (int round = 0; round < 8; ++round) {
      const Picture source = RandomColours(random, size(random), size(random));
      EXPECT_PRED_FORMAT2(PicturesEqual, Emboss(source, t), EmbossModel(source, t))
          << "round " << round << " t " << t;
    }
  }
}

TEST_F(EmbossDibTest, NoneOrReleasedImageGivesNone) {
  EXPECT_EQ(EmbossDib(nullptr, -128), nullptr);
  const HBITMAP released = DibFromPicture(Picture(3, 3, 0));
  DeleteObject(released);
  EXPECT_EQ(EmbossDib(released, -128), nullptr);
}

}  // namespace
}  // namespace varne::test
