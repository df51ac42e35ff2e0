// The BITMAPINFO of an uncompressed section, as the tests that make
// sections by hand ask for one (BI_RGB is zero, so `info{}` already says
// it), with a colour table or the three masks of BI_BITFIELDS after it.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

#include "platform/win32.h"

namespace varne::test {

// Bottom-up for a positive height, top-down for a negative one.
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

  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

// The header with `colours` at the start of its table and zeros after them.
inline SectionHeaderWithColours SectionHeaderWithTable(LONG width, LONG height, WORD bitCount,
                                                       std::initializer_list<RGBQUAD> colours = {}) {
  SectionHeaderWithColours info{};
  info.header = SectionHeader(width, height, bitCount).bmiHeader;
  std::copy(colours.begin(), colours.end(), info.colours);
  return info;
}

// BI_BITFIELDS with the red, green and blue masks after the header.
inline SectionHeaderWithColours SectionHeaderWithMasks(LONG width, LONG height, WORD bitCount,
                                                       const std::array<DWORD, 3>& masks) {
  SectionHeaderWithColours info = SectionHeaderWithTable(width, height, bitCount);
  info.header.biCompression = BI_BITFIELDS;
  std::memcpy(info.colours, masks.data(), sizeof(DWORD) * masks.size());
  return info;
}

// A 32-bpp section of the default context, its pixel memory in *bits; none
// (and *bits null) when the platform refuses it.
inline HBITMAP CreateSection32(LONG width, LONG height, void** bits) {
  const BITMAPINFO info = SectionHeader(width, height);
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace varne::test
