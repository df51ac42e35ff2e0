// Small bitmaps for the dialog tests: .bmp files written here, random
// sections, and the pixels of a shown surface read back in display order.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace varne::test {

using PixelFunction = std::function<std::uint32_t(int x, int y)>;  // 0x00RRGGBB, y from the top

// Writes a 24-bit bottom-up .bmp of w x h into the test's temporary folder.
std::string WriteBmp24(const std::string& name, int w, int h, const PixelFunction& pixel);

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> words;  // display order, top row first, all 32 bits
  std::uint32_t at(int x, int y) const { return words[static_cast<size_t>(y) * width + x]; }
  friend bool operator==(const Pixels&, const Pixels&) = default;
};

// A 32-bpp DIB section filled with random words, all four bytes random.
HBITMAP RandomSection(int w, int h, bool topDown, std::mt19937& random);

// Empty when `bitmap` is not a readable 32-bpp DIB section.
Pixels ReadPixels(HBITMAP bitmap);

// A deterministic photo-like picture with every channel varying.
std::uint32_t Gradient(int x, int y);

}  // namespace varne::test
