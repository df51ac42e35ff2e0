// The luma formula itself, inline so that whole-image loops can vectorise it.
#pragma once

#include "platform/win32.h"

// ((66 R + 129 G + 25 B + 128) >> 8) + 16 for a 0x00RRGGBB word; the fourth
// byte plays no part.
constexpr DWORD StudioLuma(DWORD pixel) {
  const DWORD red = (pixel >> 16) & 0xFFu;
  const DWORD green = (pixel >> 8) & 0xFFu;
  const DWORD blue = pixel & 0xFFu;
  return ((66u * red + 129u * green + 25u * blue + 128u) >> 8) + 16u;
}
