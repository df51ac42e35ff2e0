// The test's own account of BitBlt, pixel by pixel, written from the
// platform's documented rules and nothing in the layer: a truth-table
// lookup for each bit, the depth conversions, and clipping to both bitmaps.
#pragma once

#include <cstdint>

#include "tests/raster/test_surfaces.h"

namespace varne::test {

struct DcColours {
  COLORREF background = 0x00FFFFFF;
  COLORREF text = 0;
};

struct BlitCall {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int sourceX = 0;
  int sourceY = 0;
  DWORD rop = SRCCOPY;
  COLORREF brush = 0;
  DcColours destinationColours;
  DcColours sourceColours;
};

// Bit b of the result is bit (P*4 + S*2 + D) of the code's index byte.
std::uint32_t ModelRop(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d);

bool ModelUsesSource(std::uint8_t index);

// The destination's values after the call, as the platform should leave
// them. Only 32-bpp and mask destinations are modelled.
TestSurface ModelBlit(const TestSurface& destination, const TestSurface& source,
                      const BlitCall& call);

// Builds both bitmaps on the platform, runs BitBlt, and reads the
// destination back. Every object it makes is released before it returns.
std::vector<std::uint32_t> PlatformBlit(const TestSurface& destination, const TestSurface& source,
                                        const BlitCall& call);

}  // namespace varne::test
