// Pictures too large to hold twice in a test: each pixel is a function of
// its position, so a model can ask for any pixel and its neighbours without
// a second copy of the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/win32.h"

namespace varne::test {

// 0x00RRGGBB (and whatever fourth byte the generator chooses) at display
// position (x, y), row 0 at the top.
using PixelAt = std::function<DWORD(std::int64_t x, std::int64_t y)>;

// A well-mixed 32-bit value of a position and a seed.
DWORD Hashed(std::int64_t x, std::int64_t y, std::uint32_t seed);

// A Dib32 of width x height filled from `pixel`, or none if it cannot be made.
HBITMAP MakeLargeDib(int width, int height, const PixelAt& pixel);

// Where a section's words are and how they are laid out.
struct SectionWords {
  const DWORD* words = nullptr;
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool valid() const { return words != nullptr; }
  // Display position to memory: the bottom row comes first.
  DWORD at(std::int64_t x, std::int64_t y) const {
    return words[static_cast<std::size_t>((height - 1 - y) * width + x)];
  }
};

// The words of a 32-bpp bottom-up section, read through GetObjectA.
SectionWords WordsOfSection(HBITMAP section);

}  // namespace varne::test
