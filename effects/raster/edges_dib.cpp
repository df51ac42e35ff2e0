#include "effects/pixel/pixel_effects.h"
#include "effects/raster/mask_work_set.h"
#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

namespace {

// The image, in the work context, is already black and white. The key goes
// into the input context and the rims into the mask and lower-rim contexts,
// so each stays selected while the next is drawn from it.
void DrawEdges(HBITMAP image, const MaskWorkSet& set) {
  const int w = set.width;
  const int h = set.height;
  // A new memory context's background is white, so white becomes the key
  // (1) and the black areas the shape.
  const HGDIOBJ previousImage = SelectObject(set.workContext, image);
  const HGDIOBJ previousKey = SelectObject(set.inputContext, set.key);
  BitBlt(set.inputContext, 0, 0, w, h, set.workContext, 0, 0, SRCCOPY);

  SetBkColor(set.maskContext, kWhite);
  SetTextColor(set.maskContext, kBlack);
  SetBkColor(set.lowerRimContext, kWhite);
  SetTextColor(set.lowerRimContext, kBlack);
  const HGDIOBJ previousUpper = SelectObject(set.maskContext, set.upperLeftRim);
  const HGDIOBJ previousLower = SelectObject(set.lowerRimContext, set.lowerRightRim);
  PatBlt(set.maskContext, 0, 0, w, h, WHITENESS);
  PatBlt(set.lowerRimContext, 0, 0, w, h, WHITENESS);
  MarkUpperLeftRim(set.maskContext, set.inputContext, w, h);
  MarkLowerRightRim(set.lowerRimContext, set.inputContext, w, h);
  SelectObject(set.inputContext, previousKey);

  // Through the image context's default colours a set bit becomes white and
  // a clear one black; ANDing the second rim keeps the first rim's black.
  BitBlt(set.workContext, 0, 0, w, h, set.maskContext, 0, 0, SRCCOPY);
  BitBlt(set.workContext, 0, 0, w, h, set.lowerRimContext, 0, 0, SRCAND);

  SelectObject(set.maskContext, previousUpper);
  SelectObject(set.lowerRimContext, previousLower);
  SelectObject(set.workContext, previousImage);
}

}  // namespace

HBITMAP EdgesDib(HBITMAP image, int t) {
  BITMAP record{};
  if (!ReadBitmapRecord(image, &record)) return nullptr;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  MaskWorkSet set{};
  const bool created = CreateMaskWorkSet(screen, record.bmWidth, record.bmHeight, true, &set);
  ReleaseDC(nullptr, screen);
  HBITMAP result = nullptr;
  // Thresholding only once every object exists, so a refusal leaves the
  // image as it was.
  if (created && ThresholdDib(image, t) != nullptr) {
    DrawEdges(image, set);
    result = image;
  }
  ReleaseMaskWorkSet(set);
  return result;
}
