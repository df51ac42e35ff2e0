// Dib32: the working image. A 32-bpp, uncompressed, bottom-up DIB section
// whose pixel words are 0x00RRGGBB, readable and writable in memory and
// usable by the platform's raster operations.
#pragma once

#include "platform/win32.h"

// A new all-black surface of width x height, or none if the platform refuses.
HBITMAP CreateDib32(HDC context, int width, int height);

// A word-for-word duplicate of a Dib32, or none (also for none).
HBITMAP CopyDib32(HBITMAP source);
