#include <gtest/gtest.h>

#include <random>
#include <string>

#include "effects/raster/raster_ops.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

constexpr DWORD kWhite = 0x00FFFFFF;
constexpr DWORD kBlack = 0x00000000;

// Runs EdgesDib on a Dib32 of `source` and reads the result back.
Picture Edges(const Picture& source, int t) {
  OwnedBitmap image(DibFromPicture(source));
  const HBITMAP result = EdgesDib(image.get(), t);
  EXPECT_EQ(result, image.get()) << "works in place";
  return PictureFromDib(image.get());
}

using EdgesDibTest = LeakCheckedTest;

TEST_F(EdgesDibTest, UniformPagesHaveNoEdges) {
  // Luma 128 is above the command's 127; luma 127 is at it. Neither gives
  // a boundary between white and black.
  const DWORD lumaAbove = 0x00828282;
  const DWORD lumaAt = 0x00818181;
  ASSERT_EQ(ModelLuma(lumaAbove), 128);
  ASSERT_EQ(ModelLuma(lumaAt), 127);
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(Picture(9, 6, lumaAbove), 127), Picture(9, 6, kWhite));
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(Picture(9, 6, kWhite), 127), Picture(9, 6, kWhite));
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(Picture(9, 6, lumaAt), 127), Picture(9, 6, kWhite));
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(Picture(9, 6, kBlack), 127), Picture(9, 6, kWhite));
}

TEST_F(EdgesDibTest, SingleDarkPixelGivesTwoDiagonalNeighbours) {
  Picture source(12, 12, kWhite);
  source.at(5, 5) = 0x00202020;
  Picture expected(12, 12, kWhite);
  expected.at(4, 4) = kBlack;
  expected.at(6, 6) = kBlack;
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(source, 127), expected);
}

TEST_F(EdgesDibTest, DarkLineGivesShiftedLinesAboveAndBelow) {
  Picture source(14, 9, kWhite);
  for (int x = 3; x <= 9; ++x) source.at(x, 4) = kBlack;
  Picture expected(14, 9, kWhite);
  for (int x = 3; x <= 9; ++x) {
    expected.at(x - 1, 3) = kBlack;
    expected.at(x + 1, 5) = kBlack;
  }
  EXPECT_PRED_FORMAT2(PicturesEqual, Edges(source, 127), expected);
}

TEST_F(EdgesDibTest, RandomImagesFollowThePixelRule) {
  std::mt19937 random(777);
  std::uniform_int_distribution<int> size(1, 48);
  for (const int t : {127, 60, 200, -127}) {
    for (int round = 0; round < 6; ++round) {
      const Picture source = RandomColours(random, size(random), size(random));
      EXPECT_PRED_FORMAT2(PicturesEqual, Edges(source, t), ModelEdges(source, t))
          << source.width << "x" << source.height << " t=" << t;
    }
  }
}

TEST_F(EdgesDibTest, NoneOrReleasedImageGivesNone) {
  EXPECT_EQ(EdgesDib(nullptr, 127), nullptr);
  const HBITMAP released = DibFromPicture(Picture(3, 3, 0));
  DeleteObject(released);
  EXPECT_EQ(EdgesDib(released, 127), nullptr);
}

}  // namespace
}  // namespace varne::test
