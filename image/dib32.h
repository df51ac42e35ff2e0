// Dib32: the working image. A 32-bpp, uncompressed, bottom-up DIB section
// whose pixel words are 0x00RRGGBB, readable and writable in memory and
// usable by the platform's raster operations.
#pragma once

#include <cstddef>

#include "platform/win32.h"

// A new all-black surface of width x height, or none if the platform refuses.
HBITMAP CreateDib32(HDC context, int width, int height);

// A word-for-word duplicate of a Dib32, or none (also for none).
HBITMAP CopyDib32(HBITMAP source);

// Where a Dib32's pixels live: width x height words, the bottom row first.
struct Dib32Pixels {
  DWORD* words;
  LONG width;
  LONG height;
};

// Reads the description of a Dib32. False for none, a released handle and
// any bitmap that is not a BI_RGB 32-bpp section with rows of 4 x width
// bytes, so a pixel loop never runs over memory laid out otherwise. (The
// platform reports top-down sections with a positive height; only
// NormalizeTo32Bpp needs to tell them apart, and does so itself.)
bool ReadDib32Pixels(HBITMAP image, Dib32Pixels* pixels);

inline std::size_t WordCount(const Dib32Pixels& pixels) {
  return static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height);
}

// The BITMAP part of any bitmap's record, a Dib32 or not (the mask effects
// also read their inputs' sizes through it); false for none, a released
// handle and anything that is not a bitmap.
bool ReadBitmapRecord(HBITMAP bitmap, BITMAP* record);
