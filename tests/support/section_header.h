// The BITMAPINFO of an uncompressed bottom-up section, as the tests that
// make sections by hand ask for one (BI_RGB is zero, so `info{}` already
// says it).
#pragma once

#include "platform/win32.h"

namespace varne::test {

inline BITMAPINFO SectionHeader(LONG width, LONG height, WORD bitCount = 32) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A section's header with room after it for a whole colour table, or for
// the three masks of BI_BITFIELDS.
struct SectionHeaderWithColours {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// A 32-bpp section of the default context, its pixel memory in *bits; none
// (and *bits null) when the platform refuses it.
inline HBITMAP CreateSection32(LONG width, LONG height, void** bits) {
  const BITMAPINFO info = SectionHeader(width, height);
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace varne::test
