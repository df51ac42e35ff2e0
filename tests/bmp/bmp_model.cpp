#include "tests/bmp/bmp_model.h"

#include <random>

namespace varne::test {
namespace {

std::uint32_t ChannelOf(std::uint32_t word, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1) != 0) ++bits;
  return WidenChannel((word & mask) >> shift, bits);
}

}  // namespace

std::uint32_t WidenChannel(std::uint32_t value, int bits) {
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

std::uint32_t ModelImage::ColourAt(int x, int y) const {
  const std::uint32_t value = ValueAt(x, y);
  if (bitCount <= 8) {
    if (value >= palette.size()) return 0;
    const BmpColour& c = palette[value];
    return (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
  }
  if (bitCount == 24) return value;
  return (ChannelOf(value, masks[0]) << 16) | (ChannelOf(value, masks[1]) << 8) |
         ChannelOf(value, masks[2]);
}

ModelImage RandomModelImage(int width, int height, int bitCount, int paletteSize,
                            std::array<std::uint32_t, 3> masks, unsigned seed) {
  std::mt19937 random(seed);
  ModelImage image;
  image.width = width;
  image.height = height;
  image.bitCount = bitCount;
  image.masks = masks;
  for (int i = 0; i < paletteSize; ++i) {
    const std::uint32_t rgb = random();
    image.palette.push_back({static_cast<std::uint8_t>(rgb >> 16),
                             static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb)});
  }
  const std::uint32_t range = bitCount == 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bitCount) - 1;
  for (int i = 0; i < width * height; ++i) image.values.push_back(random() & range);
  return image;
}

BmpFileRecipe UncompressedRecipe(const ModelImage& image, std::uint32_t headerBytes, bool topDown) {
  BmpFileRecipe recipe;
  recipe.headerBytes = headerBytes;
  recipe.width = image.width;
  recipe.height = topDown ? -image.height : image.height;
  recipe.bitCount = static_cast<std::uint16_t>(image.bitCount);
  recipe.palette = image.palette;
  recipe.pixels = PackRows(image.width, image.height, image.bitCount, topDown,
                         [&](int x, int y) { return image.ValueAt(x, y); });
  return recipe;
}

}  // namespace varne::test
