#include <algorithm>

#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

namespace {

// Where the shape image's background colour is read.
constexpr int kKeyColumn = 10;
constexpr int kKeyRow = 10;

struct SkinObjects {
  HDC skinContext;
  HDC maskContext;
  HDC workContext;
  HBITMAP key;
  HBITMAP upperLeftRim;
  HBITMAP lowerRightRim;
};

bool CreateSkinObjects(HDC screen, int w, int h, SkinObjects* objects) {
  objects->skinContext = CreateCompatibleDC(screen);
  objects->maskContext = CreateCompatibleDC(screen);
  objects->workContext = CreateCompatibleDC(screen);
  objects->key = CreateBitmap(w, h, 1, 1, nullptr);
  objects->upperLeftRim = CreateBitmap(w, h, 1, 1, nullptr);
  objects->lowerRightRim = CreateBitmap(w, h, 1, 1, nullptr);
  return objects->skinContext != nullptr && objects->maskContext != nullptr &&
         objects->workContext != nullptr && objects->key != nullptr &&
         objects->upperLeftRim != nullptr && objects->lowerRightRim != nullptr;
}

void ReleaseSkinObjects(const SkinObjects& objects) {
  DeleteObject(objects.key);
  DeleteObject(objects.upperLeftRim);
  DeleteObject(objects.lowerRightRim);
  DeleteDC(objects.skinContext);
  DeleteDC(objects.maskContext);
  DeleteDC(objects.workContext);
}

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

// Puts the key colour back on every background pixel, keeping the skin on
// the shape: with background black and text white, K's set bits arrive as
// zero (take the brush) and its clear bits as all ones (keep).
void PaintBackground(HDC workContext, int w, int h, HDC maskContext, HBITMAP key,
                     COLORREF keyColour) {
  const HBRUSH brush = CreateSolidBrush(keyColour);
  if (brush == nullptr) return;
  SetBkColor(workContext, kBlack);
  SetTextColor(workContext, kWhite);
  const HGDIOBJ previousBrush = SelectObject(workContext, brush);
  const HGDIOBJ previousMask = SelectObject(maskContext, key);
  BitBlt(workContext, 0, 0, w, h, maskContext, 0, 0, kRopKeepUnderSetBits);
  SelectObject(workContext, previousBrush);
  DeleteObject(brush);
  SelectObject(maskContext, previousMask);
}

void DrawSkin(HBITMAP shape, int w, int h, HBITMAP skin, const BITMAP& skinRecord, HBITMAP result,
              COLORREF firstColour, COLORREF secondColour, const SkinObjects& objects) {
  const HGDIOBJ previousSkin = SelectObject(objects.skinContext, skin);

  // An image smaller than the sample position has no pixel there; its
  // nearest pixel stands in, rather than the invalid colour GetPixel gives
  // outside a bitmap.
  const HGDIOBJ previousWork = SelectObject(objects.workContext, shape);
  const COLORREF keyColour =
      GetPixel(objects.workContext, std::min(kKeyColumn, w - 1), std::min(kKeyRow, h - 1));
  SetBkColor(objects.workContext, keyColour);
  BuildKeyMask(objects.workContext, objects.maskContext, w, h, objects.key);
  // The rims come from the key mask rather than from the shape: the same
  // bits, from one pass over the colour pixels instead of five.
  SelectObject(objects.workContext, objects.key);
  BuildRimMasks(objects.workContext, objects.maskContext, w, h, objects.upperLeftRim,
                objects.lowerRightRim);

  SelectObject(objects.workContext, result);
  TileSkin(objects.workContext, w, h, objects.skinContext, skinRecord.bmWidth,
           skinRecord.bmHeight);
  SelectObject(objects.skinContext, previousSkin);

  PaintBackground(objects.workContext, w, h, objects.maskContext, objects.key, keyColour);

  SetBkColor(objects.workContext, kWhite);
  SetTextColor(objects.workContext, kBlack);
  // Second after first: where both rims mark a pixel, the second colour wins.
  PaintWhereMaskClear(objects.workContext, 0, 0, objects.maskContext, objects.upperLeftRim, w, h,
                      firstColour);
  PaintWhereMaskClear(objects.workContext, 0, 0, objects.maskContext, objects.lowerRightRim, w,
                      h, secondColour);
  SelectObject(objects.workContext, previousWork);
}

}  // namespace

HBITMAP SkinDib(HBITMAP shape, HBITMAP skin, int raised, COLORREF colourA, COLORREF colourB) {
  const COLORREF firstColour = raised != 0 ? colourA : colourB;
  const COLORREF secondColour = raised != 0 ? colourB : colourA;
  BITMAP skinRecord{};
  BITMAP shapeRecord{};
  if (GetObjectA(skin, sizeof(skinRecord), &skinRecord) != static_cast<int>(sizeof(skinRecord)) ||
      GetObjectA(shape, sizeof(shapeRecord), &shapeRecord) !=
          static_cast<int>(sizeof(shapeRecord))) {
    return nullptr;
  }
  const int w = shapeRecord.bmWidth;
  const int h = shapeRecord.bmHeight;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  SkinObjects objects{};
  HBITMAP result = nullptr;
  if (CreateSkinObjects(screen, w, h, &objects)) result = CreateDib32(screen, w, h);
  ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    DrawSkin(shape, w, h, skin, skinRecord, result, firstColour, secondColour, objects);
  }
  ReleaseSkinObjects(objects);
  return result;
}
