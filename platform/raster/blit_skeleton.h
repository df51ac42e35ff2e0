// The one skeleton every transfer shares, BitBlt, PatBlt and DrawStateA's
// paint alike: clip against both bitmaps, return early when nothing is
// left, then walk the rows by stride and hand whole rows to the raster
// operation.
#pragma once

#include <cstdint>

#include "platform/raster/surface.h"

namespace varne::raster {

// In 64 bits: the caller's int coordinates and extents, however extreme,
// can be added and negated without overflow. After clipping every value
// lies inside a bitmap.
struct BlitArea {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t sourceX = 0;
  std::int64_t sourceY = 0;
};

// What the operation combines besides the two bitmaps, worked out by the
// caller from its DCs (or, for DrawStateA, chosen so a mask selects).
struct BlitOperands {
  std::uint32_t pattern = 0;  // the brush, as a destination raw value
  // What a monochrome source's 1 and 0 become in a colour destination, as
  // destination raw values.
  std::uint32_t one = 0;
  std::uint32_t zero = 0;
  // Colour -> monochrome: source pixels of this colour become 1.
  COLORREF sourceBackground = 0x00FFFFFF;
};

// Applies the raster operation (index byte) to the part of the area that
// lies inside the destination and, when there is a source, whose source
// lies inside it too. source is null for operations that do not read it.
void Blit(Surface& destination, BlitArea area, const Surface* source,
          const BlitOperands& operands, std::uint8_t index);

}  // namespace varne::raster
