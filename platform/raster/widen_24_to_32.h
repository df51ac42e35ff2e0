// The row loop of a 24-bit to plain 32-bit blit, the conversion every
// 24-bit picture takes on its way in: a pixel's blue, green and red bytes
// become the low three bytes of its 0x00RRGGBB word, with no colour worked
// out. The plain loop says what the fast one computes; a test holds the two
// equal on every width and offset.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// `count` pixels from the packed bytes at `from` into the words at `to`.
// Reads exactly 3 * count bytes and writes exactly count words.
inline void Widen24To32Plain(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, from += 3) {
    to[i] = std::uint32_t{from[0]} | std::uint32_t{from[1]} << 8 | std::uint32_t{from[2]} << 16;
  }
}

// The same words, sixteen pixels a round with byte shuffles where the
// processor has them, else four pixels from three whole words.
void Widen24To32(const std::uint8_t* from, std::uint32_t* to, std::size_t count);

// The same words for a picture larger than the caches: where the processor
// has the shuffles they go out as streaming stores, which do not first read
// each line of the destination in.
void Widen24To32BypassingCache(const std::uint8_t* from, std::uint32_t* to, std::size_t count);

}  // namespace varne::raster
