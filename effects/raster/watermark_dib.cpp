#include "effects/raster/mask_work_set.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

HBITMAP WatermarkDib(HBITMAP mark, HBITMAP target, int raised, int x, int y, COLORREF colourA,
                     COLORREF colourB) {
  const COLORREF firstColour = raised != 0 ? colourA : colourB;
  const COLORREF secondColour = raised != 0 ? colourB : colourA;
  BITMAP targetRecord{};
  BITMAP markRecord{};
  if (!ReadBitmapRecord(target, &targetRecord) || !ReadBitmapRecord(mark, &markRecord)) {
    return nullptr;
  }
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  MaskWorkSet set{};
  HBITMAP result = nullptr;
  if (CreateMaskWorkSet(screen, markRecord.bmWidth, markRecord.bmHeight, false, &set)) {
    result = CreateDib32(screen, targetRecord.bmWidth, targetRecord.bmHeight);
  }
  ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    // The mark's top-left pixel as displayed is its background.
    BuildShapeMasks(set, mark, 0, 0);

    const HGDIOBJ previousWork = SelectObject(set.workContext, result);
    const HGDIOBJ previousTarget = SelectObject(set.inputContext, target);
    BitBlt(set.workContext, 0, 0, targetRecord.bmWidth, targetRecord.bmHeight, set.inputContext,
           0, 0, SRCCOPY);
    SelectObject(set.inputContext, previousTarget);

    PaintRims(set, x, y, firstColour, secondColour);
    SelectObject(set.workContext, previousWork);
  }
  ReleaseMaskWorkSet(set);
  return result;
}
