// Run-length decoding of BI_RLE8 and BI_RLE4 pixel data into rows of
// 8-bit or 4-bit palette indices.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/bmp/bottom_up_rows.h"
#include "platform/bmp/byte_source.h"

namespace varne::bmp {

enum class RleKind { kRle8, kRle4 };

// Decodes the data from `start` on into `rows` (zeroed, `width` pixels
// each). Pixels a run puts past the end of a row are dropped; a delta or
// end of line that leaves the image, an end-of-bitmap code or the end of
// the data stops.
void DecodeRle(ByteSource& data, std::size_t start, RleKind kind, std::int32_t width,
               const BottomUpRows& rows);

}  // namespace varne::bmp
