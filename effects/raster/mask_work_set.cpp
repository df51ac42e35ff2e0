#include "effects/raster/mask_work_set.h"

#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"

bool CreateMaskWorkSet(HDC screen, int w, int h, bool lowerRimContext, MaskWorkSet* set) {
  set->width = w;
  set->height = h;
  set->workContext = CreateCompatibleDC(screen);
  set->inputContext = CreateCompatibleDC(screen);
  set->maskContext = CreateCompatibleDC(screen);
  set->lowerRimContext = lowerRimContext ? CreateCompatibleDC(screen) : nullptr;
  set->key = CreateBitmap(w, h, 1, 1, nullptr);
  set->upperLeftRim = CreateBitmap(w, h, 1, 1, nullptr);
  set->lowerRightRim = CreateBitmap(w, h, 1, 1, nullptr);
  return set->workContext != nullptr && set->inputContext != nullptr &&
         set->maskContext != nullptr && (!lowerRimContext || set->lowerRimContext != nullptr) &&
         set->key != nullptr && set->upperLeftRim != nullptr && set->lowerRightRim != nullptr;
}

void ReleaseMaskWorkSet(const MaskWorkSet& set) {
  DeleteObject(set.key);
  DeleteObject(set.upperLeftRim);
  DeleteObject(set.lowerRightRim);
  DeleteDC(set.workContext);
  DeleteDC(set.inputContext);
  DeleteDC(set.maskContext);
  if (set.lowerRimContext != nullptr) DeleteDC(set.lowerRimContext);
}

COLORREF BuildShapeMasks(const MaskWorkSet& set, HBITMAP shape, int keyX, int keyY) {
  const HGDIOBJ previous = SelectObject(set.workContext, shape);
  const COLORREF key = GetPixel(set.workContext, keyX, keyY);
  SetBkColor(set.workContext, key);
  BuildKeyMask(set.workContext, set.maskContext, set.width, set.height, set.key);
  SelectObject(set.workContext, previous);
  // The rims come from the key mask rather than from the shape: the same
  // bits, from one pass over the colour pixels instead of four or five.
  const HGDIOBJ previousForRims = SelectObject(set.workContext, set.key);
  BuildRimMasks(set.workContext, set.maskContext, set.width, set.height, set.upperLeftRim,
                set.lowerRightRim);
  SelectObject(set.workContext, previousForRims);
  return key;
}

void PaintRims(const MaskWorkSet& set, int x, int y, COLORREF first, COLORREF second) {
  SetBkColor(set.workContext, kWhite);
  SetTextColor(set.workContext, kBlack);
  PaintWhereMaskClear(set.workContext, x, y, set.maskContext, set.upperLeftRim, set.width,
                      set.height, first);
  PaintWhereMaskClear(set.workContext, x, y, set.maskContext, set.lowerRightRim, set.width,
                      set.height, second);
}
