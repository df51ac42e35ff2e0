#include "effects/pixel/pixel_effects.h"
#include "effects/raster/raster_codes.h"
#include "effects/raster/raster_ops.h"

namespace {

// Everything EdgesDib creates; one memory context per mask so each stays
// selected while the next is drawn from it.
struct EdgeObjects {
  HDC keyContext;
  HDC upperContext;
  HDC lowerContext;
  HDC imageContext;
  HBITMAP key;
  HBITMAP upperLeftRim;
  HBITMAP lowerRightRim;
};

bool CreateEdgeObjects(int w, int h, EdgeObjects* objects) {
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  objects->keyContext = CreateCompatibleDC(screen);
  objects->upperContext = CreateCompatibleDC(screen);
  objects->lowerContext = CreateCompatibleDC(screen);
  objects->imageContext = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  objects->key = CreateBitmap(w, h, 1, 1, nullptr);
  objects->upperLeftRim = CreateBitmap(w, h, 1, 1, nullptr);
  objects->lowerRightRim = CreateBitmap(w, h, 1, 1, nullptr);
  return objects->keyContext != nullptr && objects->upperContext != nullptr &&
         objects->lowerContext != nullptr && objects->imageContext != nullptr &&
         objects->key != nullptr && objects->upperLeftRim != nullptr &&
         objects->lowerRightRim != nullptr;
}

// Releasing none does nothing, so a partly created set goes the same way.
void ReleaseEdgeObjects(const EdgeObjects& objects) {
  DeleteObject(objects.key);
  DeleteObject(objects.upperLeftRim);
  DeleteObject(objects.lowerRightRim);
  DeleteDC(objects.keyContext);
  DeleteDC(objects.upperContext);
  DeleteDC(objects.lowerContext);
  DeleteDC(objects.imageContext);
}

// The image is already black and white.
void DrawEdges(HBITMAP image, int w, int h, const EdgeObjects& objects) {
  // A new memory context's background is white, so white becomes the key
  // (1) and the black areas the shape.
  const HGDIOBJ previousImage = SelectObject(objects.imageContext, image);
  const HGDIOBJ previousKey = SelectObject(objects.keyContext, objects.key);
  BitBlt(objects.keyContext, 0, 0, w, h, objects.imageContext, 0, 0, SRCCOPY);

  SetBkColor(objects.upperContext, kWhite);
  SetTextColor(objects.upperContext, kBlack);
  SetBkColor(objects.lowerContext, kWhite);
  SetTextColor(objects.lowerContext, kBlack);
  const HGDIOBJ previousUpper = SelectObject(objects.upperContext, objects.upperLeftRim);
  const HGDIOBJ previousLower = SelectObject(objects.lowerContext, objects.lowerRightRim);
  PatBlt(objects.upperContext, 0, 0, w, h, WHITENESS);
  PatBlt(objects.lowerContext, 0, 0, w, h, WHITENESS);
  MarkUpperLeftRim(objects.upperContext, objects.keyContext, w, h);
  MarkLowerRightRim(objects.lowerContext, objects.keyContext, w, h);
  SelectObject(objects.keyContext, previousKey);

  // Through the image context's default colours a set bit becomes white and
  // a clear one black; ANDing the second rim keeps the first rim's black.
  BitBlt(objects.imageContext, 0, 0, w, h, objects.upperContext, 0, 0, SRCCOPY);
  BitBlt(objects.imageContext, 0, 0, w, h, objects.lowerContext, 0, 0, SRCAND);

  SelectObject(objects.upperContext, previousUpper);
  SelectObject(objects.lowerContext, previousLower);
  SelectObject(objects.imageContext, previousImage);
}

}  // namespace

HBITMAP EdgesDib(HBITMAP image, int t) {
  BITMAP bitmap{};
  if (GetObjectA(image, sizeof(bitmap), &bitmap) != static_cast<int>(sizeof(bitmap))) {
    return nullptr;
  }
  const int w = bitmap.bmWidth;
  const int h = bitmap.bmHeight;
  EdgeObjects objects{};
  HBITMAP result = nullptr;
  // Thresholding only once every object exists, so a refusal leaves the
  // image as it was.
  if (CreateEdgeObjects(w, h, &objects) && ThresholdDib(image, t) != nullptr) {
    DrawEdges(image, w, h, objects);
    result = image;
  }
  ReleaseEdgeObjects(objects);
  return result;
}
