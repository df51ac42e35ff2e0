#include "bench/bmp_writer.h"

#include "bmp_writer/bmp_writer.h"

namespace varne::bench {

namespace {

// The project's writer, streamed: 64 MP files need no second copy of the
// picture. Rows are stored bottom-up, as `pixels` holds them.
template <typename PackRow>
bool WriteBmp(const std::string& path, int width, int height, int bitCount,
              const std::vector<std::uint32_t>& pixels, PackRow pack) {
  BmpFileRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bitCount = static_cast<std::uint16_t>(bitCount);
  if (bitCount == 8) {
    recipe.palette.resize(256);
    for (int i = 0; i < 256; ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      recipe.palette[static_cast<std::size_t>(i)] = {level, level, level};
    }
  }
  return WriteBmpRows(path, recipe, [&](int stored, std::uint8_t* row) {
    pack(pixels.data() + static_cast<std::size_t>(stored) * width, row);
  });
}

}  // namespace

bool WriteBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint32_t>& pixels) {
  return WriteBmp(path, width, height, 24, pixels, [width](const std::uint32_t* words, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) PutRowValue(row, 24, x, words[x]);
  });
}

bool WriteBmp8(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& pixels) {
  return WriteBmp(path, width, height, 8, pixels, [width](const std::uint32_t* words, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) PutRowValue(row, 8, x, words[x] >> 8);
  });
}

}  // namespace varne::bench
