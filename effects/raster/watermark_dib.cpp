#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

namespace {

struct WatermarkObjects {
  HDC targetContext;
  HDC maskContext;
  HDC workContext;
  HBITMAP key;
  HBITMAP upperLeftRim;
  HBITMAP lowerRightRim;
};

bool CreateWatermarkObjects(HDC screen, int markWidth, int markHeight,
                            WatermarkObjects* objects) {
  objects->targetContext = CreateCompatibleDC(screen);
  objects->maskContext = CreateCompatibleDC(screen);
  objects->workContext = CreateCompatibleDC(screen);
  objects->key = CreateBitmap(markWidth, markHeight, 1, 1, nullptr);
  objects->upperLeftRim = CreateBitmap(markWidth, markHeight, 1, 1, nullptr);
  objects->lowerRightRim = CreateBitmap(markWidth, markHeight, 1, 1, nullptr);
  return objects->targetContext != nullptr && objects->maskContext != nullptr &&
         objects->workContext != nullptr && objects->key != nullptr &&
         objects->upperLeftRim != nullptr &&
         objects->lowerRightRim != nullptr;
}

void ReleaseWatermarkObjects(const WatermarkObjects& objects) {
  DeleteObject(objects.key);
  DeleteObject(objects.upperLeftRim);
  DeleteObject(objects.lowerRightRim);
  DeleteDC(objects.targetContext);
  DeleteDC(objects.maskContext);
  DeleteDC(objects.workContext);
}

void DrawWatermark(HBITMAP mark, const BITMAP& markRecord, HBITMAP target,
                   const BITMAP& targetRecord, HBITMAP result, int x, int y,
                   COLORREF firstColour, COLORREF secondColour, const WatermarkObjects& objects) {
  const int markWidth = markRecord.bmWidth;
  const int markHeight = markRecord.bmHeight;
  const HGDIOBJ previousTarget = SelectObject(objects.targetContext, target);

  // The mark's top-left pixel as displayed is its background.
  const HGDIOBJ previousWork = SelectObject(objects.workContext, mark);
  SetBkColor(objects.workContext, GetPixel(objects.workContext, 0, 0));
  BuildKeyMask(objects.workContext, objects.maskContext, markWidth, markHeight, objects.key);
  // The rims come from the key mask rather than from the mark: the same
  // bits, from one pass over the colour pixels instead of four.
  SelectObject(objects.workContext, objects.key);
  BuildRimMasks(objects.workContext, objects.maskContext, markWidth, markHeight,
                objects.upperLeftRim, objects.lowerRightRim);

  SelectObject(objects.workContext, result);
  BitBlt(objects.workContext, 0, 0, targetRecord.bmWidth, targetRecord.bmHeight,
         objects.targetContext, 0, 0, SRCCOPY);
  SelectObject(objects.targetContext, previousTarget);

  SetBkColor(objects.workContext, kWhite);
  SetTextColor(objects.workContext, kBlack);
  // Second after first: where both rims mark a pixel, the second colour wins.
  PaintWhereMaskClear(objects.workContext, x, y, objects.maskContext, objects.upperLeftRim,
                      markWidth, markHeight, firstColour);
  PaintWhereMaskClear(objects.workContext, x, y, objects.maskContext, objects.lowerRightRim,
                      markWidth, markHeight, secondColour);
  SelectObject(objects.workContext, previousWork);
}

}  // namespace

HBITMAP WatermarkDib(HBITMAP mark, HBITMAP target, int raised, int x, int y, COLORREF colourA,
                     COLORREF colourB) {
  const COLORREF firstColour = raised != 0 ? colourA : colourB;
  const COLORREF secondColour = raised != 0 ? colourB : colourA;
  BITMAP targetRecord{};
  BITMAP markRecord{};
  if (GetObjectA(target, sizeof(targetRecord), &targetRecord) !=
          static_cast<int>(sizeof(targetRecord)) ||
      GetObjectA(mark, sizeof(markRecord), &markRecord) != static_cast<int>(sizeof(markRecord))) {
    return nullptr;
  }
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  WatermarkObjects objects{};
  HBITMAP result = nullptr;
  if (CreateWatermarkObjects(screen, markRecord.bmWidth, markRecord.bmHeight, &objects)) {
    result = CreateDib32(screen, targetRecord.bmWidth, targetRecord.bmHeight);
  }
  ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    DrawWatermark(mark, markRecord, target, targetRecord, result, x, y, firstColour,
                  secondColour, objects);
  }
  ReleaseWatermarkObjects(objects);
  return result;
}
