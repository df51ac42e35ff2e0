// Bitmaps for the raster tests, described as pictures so that a test can
// build one on the platform, run an operation and compare every pixel with
// its own model of what the platform should have done.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/picture.h"

namespace varne::test {

// The kinds of bitmap the system draws with: its 32-bpp working surfaces,
// monochrome masks from CreateBitmap, and the DIB depths of loaded files.
enum class Depth { kDib32, kMask, kDib1, kDib4, kDib8, kDib24 };

std::string DepthName(Depth depth);
int BitsOf(Depth depth);

// Random contents of either row order. Colours are drawn from `colours`
// (plus random fourth bytes for 32 bpp) so that equality with a background
// colour is common; a DIB of 8 bpp or less gets a full table of them.
Picture RandomSurface(std::mt19937& random, Depth depth, int width, int height,
                      const std::vector<COLORREF>& colours);

}  // namespace varne::test
