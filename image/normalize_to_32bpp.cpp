#include <cstddef>

#include "image/bitmap_loader.h"
#include "image/colour_order.h"
#include "image/dib32.h"

namespace {

// Whether memory row 0 is the bottom row as displayed. The platform reports
// a top-down section's height as positive, so the header cannot tell; the
// platform's own reading of one marked pixel can. The marked word is put
// back before returning.
bool RowsRunBottomUp(HBITMAP bitmap, const Dib32Pixels& pixels) {
  if (pixels.height == 1) return true;
  const HDC probe = CreateCompatibleDC(nullptr);
  if (probe == nullptr) return false;
  const HGDIOBJ previous = SelectObject(probe, bitmap);
  bool bottomUp = false;
  if (previous != nullptr) {
    DWORD& first = pixels.words[0];
    const DWORD saved = first;
    const std::size_t lastRow =
        static_cast<std::size_t>(pixels.height - 1) * static_cast<std::size_t>(pixels.width);
    // Differs in every colour bit from the other candidate for the bottom row.
    const DWORD marker = (pixels.words[lastRow] ^ 0x00FFFFFFu) & 0x00FFFFFFu;
    GdiFlush();
    first = marker;
    bottomUp = GetPixel(probe, 0, pixels.height - 1) == ColorrefFromPixel(marker);
    first = saved;
    SelectObject(probe, previous);
  }
  DeleteDC(probe);
  return bottomUp;
}

// Draws `bitmap` onto a new Dib32 of its size; the platform converts the
// depth, colour table, masks and row order. None if anything is refused.
HBITMAP ConvertedCopy(HBITMAP bitmap, int width, int height) {
  const HDC screen = GetDC(nullptr);
  const HDC from = CreateCompatibleDC(screen);
  const HDC to = CreateCompatibleDC(screen);
  HBITMAP surface = CreateDib32(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (surface != nullptr && from != nullptr && to != nullptr) {
    const HGDIOBJ previousFrom = SelectObject(from, bitmap);
    const HGDIOBJ previousTo = SelectObject(to, surface);
    const BOOL drawn = previousFrom != nullptr && previousTo != nullptr &&
                       BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    if (previousFrom != nullptr) SelectObject(from, previousFrom);
    if (previousTo != nullptr) SelectObject(to, previousTo);
    GdiFlush();
    if (!drawn) {
      DeleteObject(surface);
      surface = nullptr;
    }
  } else if (surface != nullptr) {
    DeleteObject(surface);
    surface = nullptr;
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  return surface;
}

}  // namespace

HBITMAP NormalizeTo32Bpp(HBITMAP bitmap) {
  // Another kind of object would fill the record with something else.
  if (GetObjectType(bitmap) != OBJ_BITMAP) return nullptr;
  BITMAP description{};
  if (GetObjectA(bitmap, sizeof(description), &description) == 0) return nullptr;
  // Only a section already laid out as a Dib32 is kept; a top-down or
  // differently masked 32-bpp section is converted like any other depth, so
  // no image is shown upside down or with its channels exchanged.
  Dib32Pixels pixels{};
  if (ReadDib32Pixels(bitmap, &pixels) && RowsRunBottomUp(bitmap, pixels)) return bitmap;
  const HBITMAP surface = ConvertedCopy(bitmap, description.bmWidth, description.bmHeight);
  DeleteObject(bitmap);
  return surface;
}
