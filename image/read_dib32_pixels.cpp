#include "image/dib32.h"

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
