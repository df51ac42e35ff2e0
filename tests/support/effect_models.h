// What each effect and the picture area should make of a pixel, written out
// from the rules channel by channel, so that the system's word tricks and
// vector loops are judged by code that shares nothing with them. Pixels are
// 0x00RRGGBB words; the fourth byte is ignored unless a rule says otherwise.
#pragma once

#include <algorithm>
#include <cstdint>

#include "tests/support/picture.h"

namespace varne::test {

// Studio-range luma (16 to 235), the integer form the effects use.
constexpr int ModelLuma(std::uint32_t pixel) {
  const int red = static_cast<int>(pixel >> 16 & 0xFF);
  const int green = static_cast<int>(pixel >> 8 & 0xFF);
  const int blue = static_cast<int>(pixel & 0xFF);
  return ((66 * red + 129 * green + 25 * blue + 128) >> 8) + 16;
}

// Every channel the luma, the fourth byte 0.
constexpr std::uint32_t ModelGrey(std::uint32_t pixel) {
  return static_cast<std::uint32_t>(ModelLuma(pixel)) * 0x010101u;
}

// The photographic negative, the fourth byte 0.
constexpr std::uint32_t ModelNegative(std::uint32_t pixel) {
  const std::uint32_t red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
  return (255 - red) << 16 | (255 - green) << 8 | (255 - blue);
}

// White where the luma is above |t|, black elsewhere; a negative t swaps the
// two. Widened first, as INT_MIN has no negation in int.
constexpr std::uint32_t ModelThreshold(std::uint32_t pixel, int t) {
  const long long limit = t < 0 ? -static_cast<long long>(t) : t;
  const bool dark = ModelLuma(pixel) <= limit;
  return dark == (t >= 0) ? 0x000000u : 0xFFFFFFu;
}

// The rules over every pixel of a picture.
inline Picture Greyed(Picture picture) {
  for (auto& pixel : picture.pixels) pixel = ModelGrey(pixel);
  return picture;
}

inline Picture Inverted(Picture picture) {
  for (auto& pixel : picture.pixels) pixel = ModelNegative(pixel);
  return picture;
}

inline Picture Thresholded(Picture picture, int t) {
  for (auto& pixel : picture.pixels) pixel = ModelThreshold(pixel, t);
  return picture;
}

// What the picture area paints of a word of a picture it shows as given
// (every fourth byte zero): the colour bytes as stored, opaque.
constexpr std::uint32_t AsTheAreaShowsIt(std::uint32_t word) { return 0xFF000000u | (word & 0x00FFFFFFu); }

// Whether any fourth byte of `picture` is not zero.
inline bool HasAlpha(const Picture& picture) {
  return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](auto word) { return word >> 24 != 0; });
}

// What the picture area keeps of a 32-bpp picture, as Common Controls 6
// does: the picture itself when every fourth byte is zero, else a copy
// whose colour bytes are each multiplied by the fourth byte / 255, rounded
// to nearest, which it paints blended over its background.
inline Picture AsTheAreaKeepsIt(const Picture& picture) {
  if (!HasAlpha(picture)) return picture;
  Picture kept = picture;
  for (auto& word : kept.pixels) {
    const std::uint32_t alpha = word >> 24;
    std::uint32_t premultiplied = alpha << 24;
    for (const int shift : {0, 8, 16}) premultiplied |= (((word >> shift) & 0xFFu) * alpha + 127) / 255 << shift;
    word = premultiplied;
  }
  return kept;
}

}  // namespace varne::test
