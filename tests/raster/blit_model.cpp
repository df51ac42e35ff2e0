#include "tests/raster/blit_model.h"

#include <gtest/gtest.h>

#include "tests/support/raster_model.h"

namespace varne::test {

namespace {

ModelBitmap ModelOf(const TestSurface& surface) {
  ModelBitmap bitmap;
  bitmap.monochrome = surface.depth == Depth::kMask;
  bitmap.width = surface.width;
  bitmap.height = surface.height;
  bitmap.bitsPerPixel = BitsOf(surface.depth);
  bitmap.topDown = surface.topDown;
  if (surface.depth == Depth::kDib32) bitmap.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  bitmap.colours = surface.palette;
  bitmap.raw = surface.values;
  return bitmap;
}

}  // namespace

TestSurface ModelBlit(const TestSurface& destination, const TestSurface& source,
                      const BlitCall& call) {
  ModelBitmap to = ModelOf(destination);
  ModelBitmap from = ModelOf(source);
  ModelDc destinationDc;
  destinationDc.bitmap = &to;
  destinationDc.background = call.destinationColours.background;
  destinationDc.text = call.destinationColours.text;
  destinationDc.brush = call.brush;
  ModelDc sourceDc;
  sourceDc.bitmap = &from;
  sourceDc.background = call.sourceColours.background;
  sourceDc.text = call.sourceColours.text;
  ModelBitBlt(destinationDc, call.x, call.y, call.width, call.height, &sourceDc, call.sourceX,
              call.sourceY, call.rop);
  TestSurface result = destination;
  result.values = to.raw;
  return result;
}

std::vector<std::uint32_t> PlatformBlit(const TestSurface& destination, const TestSurface& source,
                                        const BlitCall& call) {
  HDC screen = GetDC(nullptr);
  HDC destinationDc = CreateCompatibleDC(screen);
  HDC sourceDc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HBITMAP destinationBitmap = CreatePlatformBitmap(destination);
  HBITMAP sourceBitmap = CreatePlatformBitmap(source);
  HBRUSH brush = CreateSolidBrush(call.brush);
  EXPECT_NE(destinationBitmap, nullptr);
  EXPECT_NE(sourceBitmap, nullptr);

  HGDIOBJ oldDestination = SelectObject(destinationDc, destinationBitmap);
  HGDIOBJ oldSource = SelectObject(sourceDc, sourceBitmap);
  HGDIOBJ oldBrush = SelectObject(destinationDc, brush);
  SetBkColor(destinationDc, call.destinationColours.background);
  SetTextColor(destinationDc, call.destinationColours.text);
  SetBkColor(sourceDc, call.sourceColours.background);
  SetTextColor(sourceDc, call.sourceColours.text);
  EXPECT_TRUE(BitBlt(destinationDc, call.x, call.y, call.width, call.height, sourceDc,
                     call.sourceX, call.sourceY, call.rop));
  std::vector<std::uint32_t> values = ReadBack(destinationBitmap, destination, destinationDc);

  SelectObject(destinationDc, oldBrush);
  SelectObject(destinationDc, oldDestination);
  SelectObject(sourceDc, oldSource);
  DeleteObject(brush);
  DeleteObject(destinationBitmap);
  DeleteObject(sourceBitmap);
  DeleteDC(destinationDc);
  DeleteDC(sourceDc);
  return values;
}

}  // namespace varne::test
