// Building .bmp files byte by byte, for the samples, the benchmarks and the
// tests: every header size, depth, compression and row order, honest or
// deliberately broken, and writing them where the platform's loader can
// open them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bmp_writer/dib_rows.h"

namespace varne {

inline constexpr std::uint32_t kBmpRgb = 0;
inline constexpr std::uint32_t kBmpRle8 = 1;
inline constexpr std::uint32_t kBmpRle4 = 2;
inline constexpr std::uint32_t kBmpBitfields = 3;
inline constexpr std::uint32_t kBmpJpeg = 4;
inline constexpr std::uint32_t kBmpPng = 5;
inline constexpr std::uint32_t kBmpAlphaBitfields = 6;

struct BmpColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const BmpColour&, const BmpColour&) = default;
};

// Every field as it will be stored, each with its default where it is
// declared, so that a recipe names only the fields it changes. Defaults give
// a valid 1x1 24-bit file once `pixels` is filled.
struct BmpFileRecipe {
  std::uint32_t headerBytes = 40;  // 12 writes the OS/2 core header; others the info header
  std::int32_t width = 1;          // the core header stores both as 16 bits
  std::int32_t height = 1;         // negative: the rows in `pixels` are top-down
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = kBmpRgb;
  // Red, green, blue, alpha. Stored inside headers of 52 bytes or more (as
  // many as fit), and after a 40-byte header for the bitfield compressions.
  std::array<std::uint32_t, 4> masks{};
  std::vector<BmpColour> palette{};  // 3-byte entries after a core header, else 4
  std::optional<std::uint32_t> coloursUsed{};  // default: the palette's length
  // Where the pixels start. Default: right after the palette; a larger
  // offset leaves a gap of filler bytes, a smaller one overlaps the palette.
  // An offset into the headers is stored, but the pixels follow the palette.
  std::optional<std::uint32_t> pixelOffset{};
  std::vector<std::uint8_t> pixels{};  // the pixel data exactly as stored
  std::optional<std::uint32_t> imageBytes{};  // default: the length of `pixels`
};

std::vector<std::uint8_t> BuildBmp(const BmpFileRecipe& recipe);

// Writes the file `recipe` describes to `path` with its pixels streamed, so
// that a file of any size needs one row in memory: `recipe.pixels` stays
// empty, and `packRow(stored, row)` fills the pixels of each stored row in
// file order (BmpRowBytes long; the padding stays zero). False if the file
// cannot be written.
bool WriteBmpRows(const std::string& path, const BmpFileRecipe& recipe,
                  const std::function<void(int stored, std::uint8_t* row)>& packRow);

// The uncompressed pixel data of a width x height image at `bitCount`
// (1, 2, 4, 8: palette indices; 16 and 32: whole words; 24: 0x00RRGGBB),
// rows bottom-up unless `topDown`. `valueAt(x, y)` counts y from the top
// row as displayed. Padding bytes are zero.
std::vector<std::uint8_t> PackRows(std::int32_t width, std::int32_t height, int bitCount,
                                   bool topDown,
                                   const std::function<std::uint32_t(int x, int y)>& valueAt);

// A BI_RLE8 or BI_RLE4 stream, code by code.
class RleStream {
 public:
  explicit RleStream(int bitsPerIndex) : rle4_(bitsPerIndex == 4) {}

  // `count` pixels: RLE8 repeats `value`; RLE4 alternates its two nibbles.
  RleStream& Run(int count, std::uint8_t value);
  // One absolute stretch of these indices, padded to a 16-bit boundary.
  RleStream& Absolute(const std::vector<std::uint8_t>& indices);
  RleStream& EndOfLine();
  RleStream& EndOfBitmap();
  RleStream& Delta(std::uint8_t right, std::uint8_t up);
  RleStream& Bytes(std::initializer_list<std::uint8_t> raw);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  bool rle4_;
  std::vector<std::uint8_t> bytes_;
};

// Writes `bytes` to `path`, replacing it; false if that failed.
bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace varne
