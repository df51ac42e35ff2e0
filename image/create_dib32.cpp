#include <climits>

#include "image/dib32.h"

HBITMAP CreateDib32(HDC context, int width, int height) {
  // A non-positive height would make a top-down section, which is not a
  // Dib32; a row must stay addressable by the record's LONG row length.
  if (width < 1 || height < 1 || width > INT_MAX / 4) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP surface = CreateDIBSection(context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  GdiFlush();
  return surface;
}
