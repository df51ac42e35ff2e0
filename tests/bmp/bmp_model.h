// A small picture with known stored values, and the .bmp recipe that
// stores it: the independent side of the loader tests. The colours the
// values must show are ColoursOf(picture).
#pragma once

#include <array>
#include <cstdint>

#include "bmp_writer/bmp_writer.h"
#include "tests/support/picture.h"

namespace varne::test {

// Seeded random values over the whole range of the depth (so indices past a
// short palette occur), with a random palette of `paletteSize` entries.
Picture RandomStoredPicture(int width, int height, int bitCount, int paletteSize,
                            std::array<std::uint32_t, 3> masks, unsigned seed);

// An uncompressed file storing `picture`.
BmpFileRecipe UncompressedRecipe(const Picture& picture, std::uint32_t headerBytes, bool topDown);

}  // namespace varne::test
