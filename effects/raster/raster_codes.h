// Raster codes and colours the mask effects share. The platform headers do
// not name the code that keeps the destination under a mask's set bits.
#pragma once

#include "platform/win32.h"

// ((D XOR P) AND S) XOR P: D where the source is all ones, the brush where
// it is zero.
inline constexpr DWORD kRopKeepUnderSetBits = 0x00B8074A;

inline constexpr COLORREF kWhite = 0x00FFFFFF;  // red 255, green 255, blue 255
inline constexpr COLORREF kBlack = 0x00000000;  // red 0, green 0, blue 0
