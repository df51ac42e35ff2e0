// One pixel of a surface in its own format ("raw": a palette index, packed
// mask bits, or a monochrome bit) and its conversion to and from COLORREF.
#pragma once

#include <cstdint>

#include "platform/raster/surface.h"

namespace varne::raster {

// 0x00BBGGRR <-> 0x00RRGGBB; the fourth byte is cleared.
inline std::uint32_t SwapRedBlue(std::uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

std::uint32_t ReadRaw(const Surface& surface, const std::uint8_t* row, int x);
void WriteRaw(const Surface& surface, std::uint8_t* row, int x, std::uint32_t raw);

// A monochrome bitmap's 1 is white, 0 black.
COLORREF ColourOfRaw(const Surface& surface, std::uint32_t raw);
// The nearest value the surface can hold: for palettes the closest entry.
std::uint32_t RawOfColour(const Surface& surface, COLORREF colour);
// The raw bits that carry colour (a 32-bit pixel's fourth byte does not).
std::uint32_t ColourBits(const Surface& surface);

// 32-bpp DIB whose words are 0x??RRGGBB, the system's working format.
inline bool IsPlain32(const Surface& surface) {
  return !surface.IsMonochrome() && surface.bitsPerPixel == 32 && surface.masks[0] == 0x00FF0000 &&
         surface.masks[1] == 0x0000FF00 && surface.masks[2] == 0x000000FF;
}

}  // namespace varne::raster
