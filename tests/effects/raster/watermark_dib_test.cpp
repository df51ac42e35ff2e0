#include <gtest/gtest.h>

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

struct Placement {
  int raised;
  int x;
  int y;
};

Picture Watermark(const Picture& mark, const Picture& target, Placement at,
                  COLORREF a = kLight, COLORREF b = kDark) {
  OwnedBitmap markImage(DibFromPicture(mark));
  OwnedBitmap targetImage(DibFromPicture(target));
  OwnedBitmap result(
      WatermarkDib(markImage.get(), targetImage.get(), at.raised, at.x, at.y, a, b));
  EXPECT_NE(result.get(), nullptr);
  EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(markImage.get()), mark) << "mark changed";
  EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(targetImage.get()), target)
      << "target changed";
  return PictureFromDib(result.get());
}

using WatermarkDibTest = LeakCheckedTest;

const std::vector<std::uint32_t> kTargetColours = {0x00123456, 0x00FEDCBA, 0x00FFFFFF, 0x00000000};

TEST_F(WatermarkDibTest, OneColourMarkChangesNothing) {
  std::mt19937 random(1);
  const Picture target = RandomPicture(random, 20, 15, kTargetColours);
  EXPECT_PRED_FORMAT2(PicturesEqual, Watermark(Picture(8, 8, 0x00445566), target, {1, 0, 0}),
                      target);
}

TEST_F(WatermarkDibTest, MarkLargerThanTargetIsClipped) {
  Picture mark(30, 30, 0x00FFFFFF);
  for (int x = 0; x < 30; ++x) mark.at(x, 3) = 0x00000000;  // runs far past the target
  std::mt19937 random(3);
  const Picture target = RandomPicture(random, 10, 8, kTargetColours);
  const Picture result = Watermark(mark, target, {1, 0, 0});
  EXPECT_PRED_FORMAT2(PicturesEqual, result, ModelWatermark(mark, target, 1, 0, 0, kLight, kDark));
  Picture expected = target;
  for (int x = 0; x < 10; ++x) {
    expected.at(x, 2) = PixelOf(kLight);
    if (x >= 1) expected.at(x, 4) = PixelOf(kDark);
  }
  EXPECT_PRED_FORMAT2(PicturesEqual, result, expected);
}

TEST_F(WatermarkDibTest, MarkSmallerThanTargetOutlinesOnlyItsRectangle) {
  Picture mark(6, 5, 0x00FFFFFF);
  mark.at(5, 4) = 0x00000000;  // its rims at (4, 3) and off the mark at (6, 5)
  mark.at(2, 2) = 0x00102030;
  std::mt19937 random(2);
  const Picture target = RandomPicture(random, 20, 20, kTargetColours);
  Picture expected = target;
  expected.at(4, 3) = PixelOf(kLight);
  expected.at(1, 1) = PixelOf(kLight);
  expected.at(3, 3) = PixelOf(kDark);
  EXPECT_PRED_FORMAT2(PicturesEqual, Watermark(mark, target, {1, 0, 0}), expected);
}

TEST_F(WatermarkDibTest, BlackTopLeftMakesBlackTheBackground) {
  Picture mark(9, 9, 0x00000000);
  for (int y = 3; y <= 5; ++y) {
    for (int x = 3; x <= 5; ++x) mark.at(x, y) = 0x00FFFFFF;
  }
  const Picture target(9, 9, 0x00404040);
  Picture expected = target;
  // The rims are the square's borders one pixel out, the upper-left one
  // along its top and left sides, the lower-right one along the others.
  for (int i = 2; i <= 4; ++i) {
    expected.at(i, 2) = PixelOf(kLight);
    expected.at(2, i) = PixelOf(kLight);
    expected.at(i + 2, 6) = PixelOf(kDark);
    expected.at(6, i + 2) = PixelOf(kDark);
  }
  EXPECT_PRED_FORMAT2(PicturesEqual, Watermark(mark, target, {1, 0, 0}), expected);
}

TEST_F(WatermarkDibTest, RandomMarksFollowThePixelRule) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> size(1, 40);
  std::uniform_int_distribution<int> offset(-10, 30);
  std::uniform_int_distribution<int> coin(0, 1);
  const std::vector<std::uint32_t> markColours = {0x00FFFFFF, 0x00FFFFFE, 0x00000000, 0x00A0B0C0};
  for (int round = 0; round < 40; ++round) {
    const Picture mark = RandomPicture(random, size(random), size(random), markColours);
    const Picture target = RandomPicture(random, size(random), size(random), kTargetColours);
    const Placement at{coin(random) * 5, offset(random), offset(random)};
    EXPECT_PRED_FORMAT2(PicturesEqual, Watermark(mark, target, at, 0x00010203, 0x00F0E0D0),
                        ModelWatermark(mark, target, at.raised, at.x, at.y, 0x00010203, 0x00F0E0D0))
        << "round " << round << " raised " << at.raised << " at " << at.x << "," << at.y;
  }
}

TEST_F(WatermarkDibTest, UnreadableInputsGiveNone) {
  OwnedBitmap image(DibFromPicture(Picture(4, 4, 0)));
  EXPECT_EQ(WatermarkDib(nullptr, image.get(), 1, 0, 0, kLight, kDark), nullptr);
  EXPECT_EQ(WatermarkDib(image.get(), nullptr, 1, 0, 0, kLight, kDark), nullptr);
  const HBITMAP released = DibFromPicture(Picture(3, 3, 0));
  DeleteObject(released);
  EXPECT_EQ(WatermarkDib(released, image.get(), 1, 0, 0, kLight, kDark), nullptr);
}

}  // namespace
}  // namespace varne::test
