// The luma that grayscale and threshold share, in a header of its own so
// that the effects and their loops both take it from one place.
#pragma once

#include "platform/win32.h"

// Integer studio-range (BT.601) luma of a 0x00RRGGBB word: 16 to 235. The
// fourth byte plays no part.
constexpr int LumaOf(DWORD pixel) {
  const DWORD red = (pixel >> 16) & 0xFFu;
  const DWORD green = (pixel >> 8) & 0xFFu;
  const DWORD blue = pixel & 0xFFu;
  return static_cast<int>(((66u * red + 129u * green + 25u * blue + 128u) >> 8) + 16u);
}
