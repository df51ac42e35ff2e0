// A small image with known stored values, the colours they must show, and
// the .bmp recipe that stores it: the independent side of the loader tests.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

struct ModelImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::vector<BmpColour> palette;     // at 1, 4 and 8 bpp
  std::array<std::uint32_t, 3> masks{};  // red, green, blue at 16 and 32 bpp
  std::vector<std::uint32_t> values;  // stored values, top row first

  std::uint32_t ValueAt(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
  // 0x00RRGGBB. Indices past the palette are black.
  std::uint32_t ColourAt(int x, int y) const;
};

// Seeded random values over the whole range of the depth (so indices past a
// short palette occur), with a random palette of `paletteSize` entries.
ModelImage RandomModelImage(int width, int height, int bitCount, int paletteSize,
                            std::array<std::uint32_t, 3> masks, unsigned seed);

// An uncompressed file storing `image`.
BmpFileRecipe UncompressedRecipe(const ModelImage& image, std::uint32_t headerBytes, bool topDown);

// A channel of `bits` bits widened to 8 the way the platform does it: the
// top 8 bits of a wider channel, the bits repeated for a narrower one.
std::uint32_t WidenChannel(std::uint32_t value, int bits);

}  // namespace varne::test
