// Effects computed in place over the pixel words of a Dib32. Each returns
// the image it was given, or none if the image's description cannot be read.
#pragma once

#include "platform/win32.h"

// Integer studio-range (BT.601) luma of a 0x00RRGGBB word: 16 to 235.
int LumaOf(DWORD pixel);

HBITMAP GrayScaleDib(HBITMAP image);

// Luma above |t| becomes the high colour, the rest the low one; white is
// high for t >= 0, black is high for t < 0.
HBITMAP ThresholdDib(HBITMAP image, int t);

// Photographic negative: every channel complemented, fourth byte 0.
HBITMAP InvertDib(HBITMAP image);
