// The layer's BMP decoder: a file's head in, a validated description out;
// then the file's pixel data in, the pixels of a bottom-up DIB section out.
//
// Accepts:
//  - a "BM" file header; its file-size field is ignored (writers get it wrong)
//  - info headers of 12 (OS/2 1.x core), 40, 52, 56, 108 and 124 bytes
//  - BI_RGB at 1, 4, 8, 16, 24 and 32 bpp (the core header: 1, 4, 8, 24)
//  - BI_RLE8 at 8 bpp, BI_RLE4 at 4 bpp, top-down or bottom-up
//  - BI_BITFIELDS and BI_ALPHABITFIELDS at 16 and 32 bpp, with contiguous,
//    disjoint channel masks; a zero mask is a channel that reads 0, and
//    all three zero mean the depth's default masks
//  - short palettes (missing entries are black), oversized palettes (the
//    extra entries are ignored), pixel data at any offset past the headers
//  - truncated pixel data and RLE streams that stop early or run past a row
//    or the image: what was not decoded stays zero
// Refuses:
//  - 2-bit and 64-bit files, any other bit count, Huffman, JPEG, PNG and
//    RLE24 compression, any other compression or bit-count pairing
//  - OS/2 2.x (16 and 64-byte) and any other header size
//  - width <= 0, height 0, planes != 1, overlapping or broken masks
//  - a pixel offset inside the headers or at or past the end of the file
//  - a width or height over 65535, as the platform's loader refuses them
//  - a surface over the raster layer's size cap
//
// The section it describes is what the platform's loader makes: the file's
// own width, height and depth; RLE comes out uncompressed at 8 or 4 bpp;
// 16-bit pixels stay as they are, described by the file's masks as
// BI_BITFIELDS (rebuilt as 5-5-5 when a mask is zero, which a section cannot
// describe); 32-bit pixels come out as BI_RGB 0x00RRGGBB.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "platform/bmp/byte_source.h"
#include "platform/win32_types.h"

namespace varne::bmp {

// The platform's loader takes no picture wider or higher than this, though
// a section may be (the raster layer's own cap is larger).
inline constexpr std::int32_t kMaxLoadedSide = 65535;

enum class DecodeError {
  kNotBitmap,          // no "BM" signature
  kTruncatedHeader,    // the file ends inside its headers or masks
  kUnsupportedHeader,  // an info-header size off the allow-list
  kBadPlanes,
  kBadDimensions,      // width <= 0 or height 0
  kUnsupportedFormat,  // a bit count, compression or pairing off the allow-list
  kBadMasks,
  kBadPixelOffset,
  kTooLarge,           // a side over kMaxLoadedSide, or over the surface cap
};

// How the stored pixels become the section's.
enum class PixelEncoding {
  kRows,          // rows copied as stored
  kMaskedRows32,  // 32-bit words rebuilt as 0x00RRGGBB from the file's masks
  kMaskedRows16,  // 16-bit words rebuilt as 5-5-5, for masks a section cannot carry
  kRle8,
  kRle4,
};

struct BmpLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;  // always positive; see topDown
  bool topDown = false;     // the file's first stored row is the top one
  int bitCount = 0;         // of the file and of the section alike
  DWORD sectionCompression = BI_RGB;  // BI_RGB, or BI_BITFIELDS at 16 bpp
  // Red, green, blue: the 16-bit section's masks.
  std::array<std::uint32_t, 3> masks{};
  // Red, green, blue: the masks the file's 16 or 32-bit words are read with.
  std::array<std::uint32_t, 3> fileMasks{};
  // 2^bitCount entries at 1, 4 and 8 bpp, zero (black) past the file's
  // own palette; empty otherwise.
  std::vector<RGBQUAD> colours;
  PixelEncoding encoding = PixelEncoding::kRows;
  std::size_t pixelOffset = 0;  // from the start of the file
  std::size_t rowBytes = 0;     // one row, padded to 32 bits: file and section
  std::size_t imageBytes = 0;   // rowBytes * height
};

// Reads and checks every header field against the allow-list and the
// file's size. `head` is the file's first bytes, `fileSize` (at least
// head.size()) its whole length: headers, masks and palette are read from
// the head alone, and the pixel offset is judged against the whole.
// Nothing is allocated for pixels here.
std::variant<BmpLayout, DecodeError> ParseBmpLayout(std::span<const std::uint8_t> head,
                                                    std::size_t fileSize);

// Decodes the pixels of a parsed file into `bottomUpRows`, which must hold
// layout.imageBytes zeroed bytes, reading them from `file` as it goes: no
// more of it is held at once than a small buffer. Only bytes that are
// decoded are written, so what the file does not provide stays zero.
void DecodeBmpPixels(const BmpLayout& layout, ByteSource& file,
                     std::span<std::uint8_t> bottomUpRows);

}  // namespace varne::bmp
