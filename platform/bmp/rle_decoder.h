// Run-length decoding of BI_RLE8 and BI_RLE4 pixel data into rows of
// 8-bit or 4-bit palette indices.
#pragma once

#include <cstdint>
#include <span>

#include "platform/bmp/bottom_up_rows.h"

namespace varne::bmp {

enum class RleKind { kRle8, kRle4 };

// Decodes `data` into `rows` (zeroed, `width` pixels each). Pixels a run
// puts past the end of a row are dropped; a delta or end of line that
// leaves the image, an end-of-bitmap code or the end of the data stops.
void DecodeRle(std::span<const std::uint8_t> data, RleKind kind, std::int32_t width,
               const BottomUpRows& rows);

}  // namespace varne::bmp
