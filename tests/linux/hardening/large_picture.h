// Pictures too large to hold twice in a test: each pixel is a function of
// its position, so a model can ask for any pixel and its neighbours without
// a second copy of the image, and results are read where they lie
// (ViewOfSection).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/win32.h"
#include "tests/support/section_header.h"

namespace varne::test {

// 0x00RRGGBB (and whatever fourth byte the generator chooses) at display
// position (x, y), row 0 at the top.
using PixelAt = std::function<DWORD(std::int64_t x, std::int64_t y)>;

// A well-mixed 32-bit value of a position and a seed.
inline DWORD Hashed(std::int64_t x, std::int64_t y, std::uint32_t seed) {
  std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15u ^
                    static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Fu ^ seed;
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9u;
  h ^= h >> 29;
  return static_cast<DWORD>(h >> 16);
}

// A Dib32 of width x height filled from `Pixel`, or none if it cannot be
// made. The generator is a template argument so that it is inlined: called
// through a PixelAt, every pixel would cost an indirect call, and under
// qemu-user every indirect call and return is a lookup.
template <DWORD (*Pixel)(std::int64_t x, std::int64_t y)>
HBITMAP MakeLargeDib(int width, int height) {
  void* bits = nullptr;
  const HBITMAP section = CreateSection32(width, height, &bits);
  if (section == nullptr) return nullptr;
  auto* words = static_cast<DWORD*>(bits);
  for (std::int64_t y = 0; y < height; ++y) {
    DWORD* row = words + static_cast<std::size_t>((height - 1 - y) * width);
    for (std::int64_t x = 0; x < width; ++x) row[x] = Pixel(x, y);
  }
  return section;
}

}  // namespace varne::test
