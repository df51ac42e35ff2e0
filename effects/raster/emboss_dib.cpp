#include "effects/pixel/pixel_effects.h"
#include "effects/raster/mask_work_set.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

HBITMAP EmbossDib(HBITMAP image, int t) {
  BITMAP record{};
  if (!ReadBitmapRecord(image, &record)) return nullptr;
  const int w = record.bmWidth;
  const int h = record.bmHeight;
  ThresholdDib(image, t);
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  const HDC context = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (context == nullptr) return nullptr;
  // Starts all black, so whatever the disabled style leaves undrawn is black.
  const HBITMAP result = CreateDib32(context, w, h);
  if (result == nullptr) {
    DeleteDC(context);
    return nullptr;
  }
  const HGDIOBJ previous = SelectObject(context, result);
  DrawStateA(context, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, 0, 0, w, h,
             DST_BITMAP | DSS_DISABLED);
  SelectObject(context, previous);
  DeleteDC(context);
  DeleteObject(image);
  return result;
}
