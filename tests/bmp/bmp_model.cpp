#include "tests/bmp/bmp_model.h"

#include <random>

namespace varne::test {

Picture RandomStoredPicture(int width, int height, int bitCount, int paletteSize,
                            std::array<std::uint32_t, 3> masks, unsigned seed) {
  std::mt19937 random(seed);
  Picture picture(width, height);
  picture.bitsPerPixel = bitCount;
  picture.masks = masks;
  for (int i = 0; i < paletteSize; ++i) {
    const std::uint32_t rgb = random();
    picture.colours.push_back(RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8),
                                      static_cast<BYTE>(rgb >> 16), 0});
  }
  const std::uint32_t range = bitCount == 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bitCount) - 1;
  for (std::uint32_t& value : picture.pixels) value = random() & range;
  return picture;
}

BmpFileRecipe UncompressedRecipe(const Picture& picture, std::uint32_t headerBytes, bool topDown) {
  BmpFileRecipe recipe;
  recipe.headerBytes = headerBytes;
  recipe.width = picture.width;
  recipe.height = topDown ? -picture.height : picture.height;
  recipe.bitCount = static_cast<std::uint16_t>(picture.bitsPerPixel);
  for (const RGBQUAD& entry : picture.colours) recipe.palette.push_back({entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
  recipe.pixels = PackRows(picture.width, picture.height, picture.bitsPerPixel, topDown,
                           [&](int x, int y) { return picture.at(x, y); });
  return recipe;
}

}  // namespace varne::test
