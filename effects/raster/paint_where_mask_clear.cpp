#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"

void PaintWhereMaskClear(HDC destination, int x, int y, HDC maskContext, HBITMAP mask, int w,
                         int h, COLORREF colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) return;
  const HGDIOBJ previousBrush = SelectObject(destination, brush);
  const HGDIOBJ previousMask = SelectObject(maskContext, mask);
  // With the destination's background white and text black, a set mask bit
  // arrives as all ones (keep) and a clear one as zero (take the brush).
  BitBlt(destination, x, y, w, h, maskContext, 0, 0, kRopKeepUnderSetBits);
  SelectObject(destination, previousBrush);
  DeleteObject(brush);
  SelectObject(maskContext, previousMask);
}
