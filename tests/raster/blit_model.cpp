#include "tests/raster/blit_model.h"

#include <gtest/gtest.h>

#include "tests/support/picture_bitmaps.h"
#include "tests/support/raster_model.h"

namespace varne::test {

Picture ModelBlit(const Picture& destination, const Picture& source, const BlitCall& call) {
  Picture to = destination;
  Picture from = source;
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
  return to;
}

Picture PlatformBlit(const Picture& destination, const Picture& source, const BlitCall& call) {
  HDC screen = GetDC(nullptr);
  HDC destinationDc = CreateCompatibleDC(screen);
  HDC sourceDc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HBITMAP destinationBitmap = BitmapFromPicture(destination);
  HBITMAP sourceBitmap = BitmapFromPicture(source);
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
  Picture values = PictureFromBitmap(destinationBitmap, destination, destinationDc);

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
