// A brute-force, one-pixel-at-a-time model of the raster operations the
// system relies on, written from the platform's documented behaviour and
// sharing no code with the raster layer, so that the differential fuzzer
// and the raster tests can compare the two on random bitmaps.
//
// Rules the model follows (where the platform leaves a choice, the rule the
// system was built to):
//  - pixels are raw values in the bitmap's own format: a palette index, the
//    packed mask bits, 24 bits of blue-green-red, or a monochrome bit;
//  - a raw value's colour goes through the colour table (entries past the
//    table are black) or the masks, a narrow channel widened by repeating
//    its bits, a channel wider than 8 bits keeping its top 8;
//  - a colour becomes a raw value by truncating each channel to its mask,
//    by the nearest palette entry (squared distance, the lowest index on a
//    tie), or for a monochrome bitmap by white if nearer white than black;
//  - BitBlt evaluates the ternary code on whole raw words and stores the
//    bits the depth holds; two bitmaps of the same depth and colour table or
//    masks exchange raw values untouched (all 32 bits at 32 bpp).
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "tests/support/picture.h"

namespace varne::test {

// A bitmap is a Picture: its pixels are the raw values, its colours read
// through ColourOf.
struct ModelDc {
  Picture* bitmap = nullptr;
  COLORREF background = 0x00FFFFFF;
  COLORREF text = 0;
  COLORREF brush = 0x00FFFFFF;  // the white stock brush a new DC holds
};

std::uint32_t ModelRawOf(const Picture& bitmap, COLORREF colour);

// Results as the platform gives them; false where the call fails.
bool ModelBitBlt(ModelDc& destination, std::int64_t x, std::int64_t y, std::int64_t width,
                 std::int64_t height, const ModelDc* source, std::int64_t sourceX,
                 std::int64_t sourceY, DWORD rop);
COLORREF ModelGetPixel(const ModelDc& dc, std::int64_t x, std::int64_t y);
void ModelDrawDisabled(ModelDc& destination, const Picture& image, std::int64_t x,
                       std::int64_t y, int width, int height, COLORREF highlight,
                       COLORREF shadow);

}  // namespace varne::test
