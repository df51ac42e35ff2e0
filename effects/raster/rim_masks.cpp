#include "effects/raster/raster_ops.h"

// The rim selected into rimContext starts all ones. The shifted copy puts
// under each bit the key of its diagonal neighbour; MERGEPAINT then ORs in
// NOT K of the pixel itself, so a bit ends 0 only on background whose
// neighbour is shape. The row and column the copy does not reach stay 1.
void MarkUpperLeftRim(HDC rimContext, HDC source, int w, int h) {
  BitBlt(rimContext, 0, 0, w - 1, h - 1, source, 1, 1, SRCCOPY);
  BitBlt(rimContext, 0, 0, w, h, source, 0, 0, MERGEPAINT);
}

void MarkLowerRightRim(HDC rimContext, HDC source, int w, int h) {
  BitBlt(rimContext, 1, 1, w - 1, h - 1, source, 0, 0, SRCCOPY);
  BitBlt(rimContext, 0, 0, w, h, source, 0, 0, MERGEPAINT);
}

void BuildKeyMask(HDC source, HDC maskContext, int w, int h, HBITMAP key) {
  const HGDIOBJ previous = SelectObject(maskContext, key);
  BitBlt(maskContext, 0, 0, w, h, source, 0, 0, SRCCOPY);
  SelectObject(maskContext, previous);
}

static void BuildOneRim(HDC source, HDC maskContext, int w, int h, HBITMAP rim,
                        void (*mark)(HDC, HDC, int, int)) {
  const HGDIOBJ previous = SelectObject(maskContext, rim);
  PatBlt(maskContext, 0, 0, w, h, WHITENESS);
  mark(maskContext, source, w, h);
  SelectObject(maskContext, previous);
}

void BuildRimMasks(HDC source, HDC maskContext, int w, int h, HBITMAP upperLeftRim,
                   HBITMAP lowerRightRim) {
  BuildOneRim(source, maskContext, w, h, upperLeftRim, MarkUpperLeftRim);
  BuildOneRim(source, maskContext, w, h, lowerRightRim, MarkLowerRightRim);
}
