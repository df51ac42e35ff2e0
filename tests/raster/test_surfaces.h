// Bitmaps for the raster tests, described by plain values so that a test
// can build one on the platform, run an operation and compare every pixel
// with its own model of what the platform should have done.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace varne::test {

// The kinds of bitmap the system draws with: its 32-bpp working surfaces,
// monochrome masks from CreateBitmap, and the DIB depths of loaded files.
enum class Depth { kDib32, kMask, kDib1, kDib4, kDib8, kDib24 };

std::string DepthName(Depth depth);
int BitsOf(Depth depth);

struct TestSurface {
  Depth depth = Depth::kDib32;
  int width = 1;
  int height = 1;
  bool topDown = false;
  std::vector<RGBQUAD> palette;  // DIBs of 8 bpp or less
  // One value per pixel in display order (row 0 at the top): the 32-bit
  // word, the mask bit, the palette index, or 0x00RRGGBB for 24 bpp.
  std::vector<std::uint32_t> values;

  std::uint32_t& At(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t At(int x, int y) const {
    return values[static_cast<std::size_t>(y) * width + x];
  }
};

// Random contents. Colours are drawn from `colours` (plus random fourth
// bytes for 32 bpp) so that equality with a background colour is common.
TestSurface RandomSurface(std::mt19937& random, Depth depth, int width, int height,
                          const std::vector<COLORREF>& colours);

// The platform bitmap holding the surface's values; none on failure.
HBITMAP CreatePlatformBitmap(const TestSurface& surface);

// The values the platform bitmap holds now. A mask is read through
// GetPixel, so it must be selected into `dc`; DIBs are read from memory.
std::vector<std::uint32_t> ReadBack(HBITMAP bitmap, const TestSurface& like, HDC dc);

// The colour a value stands for: palette entries, 1 = white for masks.
COLORREF ColourOf(const TestSurface& surface, std::uint32_t value);

// 0x00BBGGRR <-> 0x00RRGGBB.
std::uint32_t SwapRedBlue(std::uint32_t value);

}  // namespace varne::test
