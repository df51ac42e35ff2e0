// Pixel words are 0x00RRGGBB; COLORREFs are 0x00BBGGRR. Swapping the four
// bytes and shifting right by 8 turns either into the other.
#pragma once

#include "platform/win32.h"

constexpr DWORD SwapColourOrder(DWORD value) {
  const DWORD swapped = ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
                        ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
  return swapped >> 8;
}

constexpr DWORD PixelFromColorref(COLORREF colour) { return SwapColourOrder(colour); }
constexpr COLORREF ColorrefFromPixel(DWORD pixel) { return SwapColourOrder(pixel); }
