#include <algorithm>

#include "effects/raster/mask_work_set.h"
#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

namespace {

// Where the shape image's background colour is read.
constexpr int kKeyColumn = 10;
constexpr int kKeyRow = 10;

// Covers the w x h surface in the work context with whole copies of the
// skin, the last ones clipped. After the first tile every copy is taken
// from what is already tiled, doubling it, so a tiny skin costs a few
// dozen blits rather than one per tile; the widths stay multiples of the
// skin's, so the picture is the same as tile-by-tile.
void TileSkin(HDC workContext, int w, int h, HDC skinContext, int skinWidth, int skinHeight) {
  BitBlt(workContext, 0, 0, skinWidth, skinHeight, skinContext, 0, 0, SRCCOPY);
  for (int done = skinWidth; done < w; done += std::min(done, w - done)) {
    BitBlt(workContext, done, 0, std::min(done, w - done), skinHeight, workContext, 0, 0,
           SRCCOPY);
  }
  for (int done = skinHeight; done < h; done += std::min(done, h - done)) {
    BitBlt(workContext, 0, done, w, std::min(done, h - done), workContext, 0, 0, SRCCOPY);
  }
}

}  // namespace

HBITMAP SkinDib(HBITMAP shape, HBITMAP skin, int raised, COLORREF colourA, COLORREF colourB) {
  const COLORREF firstColour = raised != 0 ? colourA : colourB;
  const COLORREF secondColour = raised != 0 ? colourB : colourA;
  BITMAP skinRecord{};
  BITMAP shapeRecord{};
  if (!ReadBitmapRecord(skin, &skinRecord) || !ReadBitmapRecord(shape, &shapeRecord)) {
    return nullptr;
  }
  const int w = shapeRecord.bmWidth;
  const int h = shapeRecord.bmHeight;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  MaskWorkSet set{};
  HBITMAP result = nullptr;
  if (CreateMaskWorkSet(screen, w, h, false, &set)) result = CreateDib32(screen, w, h);
  ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    // An image smaller than the sample position has no pixel there; its
    // nearest pixel stands in, rather than the invalid colour GetPixel gives
    // outside a bitmap.
    const COLORREF key =
        BuildShapeMasks(set, shape, std::min(kKeyColumn, w - 1), std::min(kKeyRow, h - 1));

    const HGDIOBJ previousWork = SelectObject(set.workContext, result);
    const HGDIOBJ previousSkin = SelectObject(set.inputContext, skin);
    TileSkin(set.workContext, w, h, set.inputContext, skinRecord.bmWidth, skinRecord.bmHeight);
    SelectObject(set.inputContext, previousSkin);

    // The key colour back on every background pixel, the skin kept on the
    // shape: with the colours the other way round, the key mask's set bits
    // arrive as zero and take the brush.
    SetBkColor(set.workContext, kBlack);
    SetTextColor(set.workContext, kWhite);
    PaintWhereMaskClear(set.workContext, 0, 0, set.maskContext, set.key, w, h, key);

    PaintRims(set, 0, 0, firstColour, secondColour);
    SelectObject(set.workContext, previousWork);
  }
  ReleaseMaskWorkSet(set);
  return result;
}
