// Test pictures: one stored value per pixel in display order (row 0 at the
// top) and the format those values are stored in, so that a test can build
// a bitmap of any depth, read one back, and compare either with a model
// written over the grid. Only the platform's types and the standard library
// here: the fuzzers use it too. Moving pictures in and out of platform
// bitmaps is tests/support/picture_bitmaps.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

#include "platform/win32.h"

namespace varne::test {

// Red, green and blue.
inline constexpr std::array<std::uint32_t, 3> kMasks32{0x00FF0000, 0x0000FF00, 0x000000FF};
inline constexpr std::array<std::uint32_t, 3> kMasks555{0x7C00, 0x03E0, 0x001F};

// What a stored value means: a palette index (8 bpp or less), the packed
// mask bits (16 and 32 bpp; at 32 the whole word, fourth byte included),
// 0x00RRGGBB (24 bpp), or a monochrome bitmap's bit.
struct Picture {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool monochrome = false;  // CreateBitmap's 1 bit, no table: 1 shows white
  // The row order of the platform bitmap it is made into or was read from.
  // A reader that cannot know it leaves it false: the platform reports
  // every section's height as positive.
  bool topDown = false;
  std::array<std::uint32_t, 3> masks = kMasks32;
  std::vector<RGBQUAD> colours;  // may be short: indices past it show black
  std::vector<std::uint32_t> pixels;
  // Instead of `pixels`, a bottom-up 32-bpp section read where it lies:
  // pictures too large to copy. Read-only, and no longer than the section.
  const std::uint32_t* section = nullptr;

  Picture() = default;
  // 32 bpp, every pixel `fill`.
  Picture(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(Offset(w, h, 0), fill) {}

  bool empty() const { return pixels.empty() && section == nullptr; }
  std::uint32_t at(int x, int y) const {
    return section != nullptr ? section[Offset(width, height - 1 - y, x)] : pixels[Offset(width, y, x)];
  }
  std::uint32_t& at(int x, int y) { return pixels[Offset(width, y, x)]; }  // owned pictures only
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

 private:
  static std::size_t Offset(int w, int row, int x) {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
  }
};

// Whether `a` and `b` store their values the same way: the parts of the
// format the depth uses.
inline bool SameFormat(const Picture& a, const Picture& b) {
  if (a.monochrome != b.monochrome || a.bitsPerPixel != b.bitsPerPixel) return false;
  if (a.monochrome) return true;
  if (a.bitsPerPixel <= 8) {
    return std::equal(a.colours.begin(), a.colours.end(), b.colours.begin(), b.colours.end(),
                      [](const RGBQUAD& x, const RGBQUAD& y) {
                        return x.rgbRed == y.rgbRed && x.rgbGreen == y.rgbGreen && x.rgbBlue == y.rgbBlue &&
                               x.rgbReserved == y.rgbReserved;
                      });
  }
  return a.bitsPerPixel == 24 || a.masks == b.masks;
}

// Equal sizes, formats and values; the row order and where the values are
// kept do not count.
inline bool operator==(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || !SameFormat(a, b)) return false;
  if (a.section == nullptr && b.section == nullptr) return a.pixels == b.pixels;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.at(x, y) != b.at(x, y)) return false;
    }
  }
  return true;
}

inline void PrintTo(const Picture& picture, std::ostream* out) {
  *out << picture.width << "x" << picture.height << " picture";
  if (picture.monochrome) *out << ", monochrome";
  if (picture.bitsPerPixel != 32) *out << " at " << picture.bitsPerPixel << " bpp";
}

// A 32-bpp picture of these values, top row first.
inline Picture FromPixels(int w, int h, std::vector<std::uint32_t> displayOrder) {
  Picture picture;
  picture.width = w;
  picture.height = h;
  picture.pixels = std::move(displayOrder);
  return picture;
}

// A 32-bpp picture of words in a bottom-up section's memory order.
inline Picture FromBottomUpWords(int w, int h, const std::vector<std::uint32_t>& words) {
  Picture picture(w, h);
  for (int y = 0; y < h; ++y) {
    const auto row = words.begin() + static_cast<std::ptrdiff_t>(h - 1 - y) * w;
    std::copy(row, row + w, picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * w);
  }
  return picture;
}

// Pixel words (0x00RRGGBB) and COLORREFs (0x00BBGGRR) in one notation for
// expectations; the fourth byte of a pixel is no colour.
constexpr DWORD PixelOf(COLORREF colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}
constexpr COLORREF ColorrefOf(std::uint32_t pixel) { return PixelOf(pixel); }

// A channel of `bits` bits widened to 8 the way the platform does it: the
// top 8 bits of a wider channel, the bits repeated for a narrower one.
constexpr std::uint32_t WidenChannel(std::uint32_t value, int bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
  // Output bit k (from the top) is input bit k mod bits (from the top).
  std::uint32_t out = 0;
  for (int k = 0; k < 8; ++k) {
    const int fromTop = k % bits;
    const std::uint32_t bit = (value >> (bits - 1 - fromTop)) & 1;
    out |= bit << (7 - k);
  }
  return out;
}

// The channel `mask` selects in a stored word, widened to 8 bits; a mask
// without bits reads 0.
constexpr std::uint32_t ChannelOf(std::uint32_t word, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1) != 0) ++bits;
  return WidenChannel((word & mask) >> shift, bits);
}

// The colour a stored value of `picture` shows.
inline COLORREF ColourOf(const Picture& picture, std::uint32_t value) {
  if (picture.monochrome) return value != 0 ? 0x00FFFFFF : 0;
  if (picture.bitsPerPixel <= 8) {
    if (value >= picture.colours.size()) return 0;
    const RGBQUAD& entry = picture.colours[value];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
  }
  if (picture.bitsPerPixel == 24) return ColorrefOf(value);
  return RGB(ChannelOf(value, picture.masks[0]), ChannelOf(value, picture.masks[1]),
             ChannelOf(value, picture.masks[2]));
}

// What the pixel at (x, y) shows, as 0x00RRGGBB.
inline std::uint32_t ShownPixel(const Picture& picture, int x, int y) {
  return PixelOf(ColourOf(picture, picture.at(x, y)));
}

// Every pixel's colour as 0x00RRGGBB, in a 32-bpp picture of the same size.
inline Picture ColoursOf(const Picture& picture) {
  Picture colours(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) colours.at(x, y) = ShownPixel(picture, x, y);
  }
  return colours;
}

}  // namespace varne::test
