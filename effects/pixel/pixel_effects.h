// Effects computed in place over the pixel words of a Dib32. Each returns
// the image it was given, or none if the image's description cannot be read.
// How the words are walked is effects/pixel/pixel_loops.h's business.
#pragma once

#include "effects/pixel/luma_of.h"
#include "platform/win32.h"

// Every word becomes its luma in red, green and blue, fourth byte 0.
HBITMAP GrayScaleDib(HBITMAP image);

// Luma above |t| becomes the high colour, the rest the low one; white is
// high for t >= 0, black is high for t < 0.
HBITMAP ThresholdDib(HBITMAP image, int t);

// Photographic negative: every channel complemented, fourth byte 0. Runs
// the plain loop only: it is already at memory speed.
HBITMAP InvertDib(HBITMAP image);
