#include "image/bitmap_loader.h"
#include "image/dib32.h"

HBITMAP NormalizeTo32Bpp(HBITMAP bitmap) {
  BITMAP description{};
  if (GetObjectA(bitmap, sizeof(description), &description) == 0) return nullptr;
  // Only a section already laid out as a Dib32 is kept; a top-down or
  // differently masked 32-bpp section goes through the conversion, so it is
  // never shown upside down or with its channels exchanged.
  Dib32Pixels pixels{};
  if (ReadDib32Pixels(bitmap, &pixels)) return bitmap;

  const HDC screen = GetDC(nullptr);
  const HDC from = CreateCompatibleDC(screen);
  const HDC to = CreateCompatibleDC(screen);
  const HBITMAP surface = CreateDib32(screen, description.bmWidth, description.bmHeight);
  ReleaseDC(nullptr, screen);
  if (surface != nullptr && from != nullptr && to != nullptr) {
    const HGDIOBJ previousFrom = SelectObject(from, bitmap);
    const HGDIOBJ previousTo = SelectObject(to, surface);
    BitBlt(to, 0, 0, description.bmWidth, description.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(from, previousFrom);
    SelectObject(to, previousTo);
    GdiFlush();
  }
  DeleteObject(bitmap);
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  if (from == nullptr || to == nullptr) {
    if (surface != nullptr) DeleteObject(surface);
    return nullptr;
  }
  return surface;
}
