#include "image/dib32.h"

#include <algorithm>
#include <climits>

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

HBITMAP CopyDib32(HBITMAP source) {
  Dib32Pixels from{};
  if (!ReadDib32Pixels(source, &from)) return nullptr;
  const HDC screen = GetDC(nullptr);
  const HBITMAP copy = CreateDib32(screen, from.width, from.height);
  ReleaseDC(nullptr, screen);
  Dib32Pixels to{};
  if (!ReadDib32Pixels(copy, &to)) {
    DeleteObject(copy);
    return nullptr;
  }
  // The platform may still be drawing into the source.
  GdiFlush();
  std::copy_n(from.words, WordCount(from), to.words);
  return copy;
}

bool ReadDib32Pixels(HBITMAP image, Dib32Pixels* pixels) {
  DIBSECTION section{};
  // The platform's own record size: on 64-bit Windows a 32-bit-sized request
  // gets only the BITMAP part, and the header would never be read.
  if (GetObjectA(image, sizeof(section), &section) != static_cast<int>(sizeof(section))) {
    return false;
  }
  const BITMAP& bitmap = section.dsBm;
  if (bitmap.bmBits == nullptr || bitmap.bmBitsPixel != 32 || bitmap.bmWidth < 1 ||
      bitmap.bmHeight < 1) {
    return false;
  }
  if (section.dsBmih.biCompression != BI_RGB || section.dsBmih.biHeight < 0) return false;
  if (static_cast<long long>(bitmap.bmWidthBytes) != 4LL * bitmap.bmWidth) return false;
  pixels->words = static_cast<DWORD*>(bitmap.bmBits);
  pixels->width = bitmap.bmWidth;
  pixels->height = bitmap.bmHeight;
  return true;
}

bool ReadBitmapRecord(HBITMAP bitmap, BITMAP* record) {
  return GetObjectA(bitmap, sizeof(*record), record) == static_cast<int>(sizeof(*record));
}
