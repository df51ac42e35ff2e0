#include <gtest/gtest.h>

#include <random>

#include "effects/raster/raster_ops.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

using PaintWhereMaskClearTest = LeakCheckedTest;

// The destination keeps its pixels under set bits and takes the colour
// under clear ones, the mask placed at (x, y) and clipped to the surface.
TEST_F(PaintWhereMaskClearTest, PaintsExactlyUnderClearBitsWithClipping) {
  std::mt19937 random(4242);
  const COLORREF colour = 0x00336699;  // red 0x99, green 0x66, blue 0x33
  const int mw = 11;
  const int mh = 7;
  const Picture maskPicture = RandomPicture(random, mw, mh, {0x00FFFFFF, 0x00000000});
  OwnedBitmap maskSource(DibFromPicture(maskPicture));
  const HDC screen = GetDC(nullptr);
  const HDC maskContext = CreateCompatibleDC(screen);
  const HDC sourceContext = CreateCompatibleDC(screen);
  const HDC destinationContext = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HBITMAP mask = CreateBitmap(mw, mh, 1, 1, nullptr);
  // The default background white makes white pixels the set bits.
  const HGDIOBJ previousSource = SelectObject(sourceContext, maskSource.get());
  const HGDIOBJ previousMask = SelectObject(maskContext, mask);
  BitBlt(maskContext, 0, 0, mw, mh, sourceContext, 0, 0, SRCCOPY);
  SelectObject(maskContext, previousMask);
  SelectObject(sourceContext, previousSource);

  const struct {
    int x, y;
  } places[] = {{0, 0}, {3, 2}, {-4, -3}, {9, 5}, {-20, 0}};
  for (const auto& place : places) {
    const Picture target = RandomPicture(random, 14, 9, {0x00123456, 0x00ABCDEF, 0x00FFFFFF});
    OwnedBitmap destination(DibFromPicture(target));
    const HGDIOBJ previousDestination = SelectObject(destinationContext, destination.get());
    SetBkColor(destinationContext, 0x00FFFFFF);
    SetTextColor(destinationContext, 0x00000000);
    PaintWhereMaskClear(destinationContext, place.x, place.y, maskContext, mask, mw, mh, colour);
    SelectObject(destinationContext, previousDestination);

    Picture expected = target;
    for (int my = 0; my < mh; ++my) {
      for (int mx = 0; mx < mw; ++mx) {
        const int x = place.x + mx;
        const int y = place.y + my;
        if (expected.contains(x, y) && maskPicture.at(mx, my) == 0) {
          expected.at(x, y) = PixelOf(colour);
        }
      }
    }
    EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(destination.get()), expected) << place.x << "," << place.y;
  }
  DeleteObject(mask);
  DeleteDC(maskContext);
  DeleteDC(sourceContext);
  DeleteDC(destinationContext);
}

}  // namespace
}  // namespace varne::test
