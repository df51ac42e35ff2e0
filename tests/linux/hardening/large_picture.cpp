#include "tests/linux/hardening/large_picture.h"

namespace varne::test {

SectionWords WordsOfSection(HBITMAP section) {
  DIBSECTION description{};
  if (GetObjectA(section, sizeof description, &description) != sizeof description) return {};
  const BITMAP& bitmap = description.dsBm;
  if (bitmap.bmBitsPixel != 32 || description.dsBmih.biCompression != BI_RGB ||
      bitmap.bmWidthBytes != 4 * bitmap.bmWidth) {
    return {};
  }
  return {static_cast<const DWORD*>(bitmap.bmBits), bitmap.bmWidth, bitmap.bmHeight};
}

}  // namespace varne::test
