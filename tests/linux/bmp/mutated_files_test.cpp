// Seeded random damage to every corpus file and to generated RLE files:
// the decoder must refuse or describe a consistent image, and never read
// or write outside its buffers (the sanitizer build watches that).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "bmp_writer/bmp_writer.h"
#include "platform/bmp/test_seam.h"

namespace varne::bmp {
namespace {

namespace fs = std::filesystem;

// Layouts this large are checked but not decoded: a test must not fill
// gigabytes because a mutation made a huge but legal header.
constexpr std::size_t kLargestDecodedInTest = std::size_t{32} << 20;

std::vector<std::vector<std::uint8_t>> Seeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  for (const char* folder : {"g", "q", "b"}) {
    // A missing corpus leaves only the built seeds; the corpus test reports it.
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(fs::path(VARNE_BMPSUITE_DIR) / folder, missing)) {
      std::ifstream in(entry.path(), std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  for (const int bits : {4, 8}) {
    BmpFileRecipe recipe;
    recipe.width = 9;
    recipe.height = 5;
    recipe.bitCount = static_cast<std::uint16_t>(bits);
    recipe.compression = bits == 8 ? kBmpRle8 : kBmpRle4;
    recipe.palette.assign(16, BmpColour{1, 2, 3});
    recipe.pixels = RleStream(bits).Run(5, 0x12).Absolute({1, 2, 3}).Delta(1, 1)
                      .Run(200, 3).EndOfLine().Absolute({4, 5, 6, 7, 8}).EndOfBitmap().bytes();
    seeds.push_back(BuildBmp(recipe));
  }
  return seeds;
}

std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> file, std::mt19937& random) {
  static constexpr std::uint8_t kExtremes[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE};
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < edits && !file.empty(); ++i) {
    switch (random() % 4) {
      case 0:  // a header byte to an extreme value
        file[random() % std::min<std::size_t>(file.size(), 140)] = kExtremes[random() % 6];
        break;
      case 1:  // any byte to any value
        file[random() % file.size()] = static_cast<std::uint8_t>(random());
        break;
      case 2:  // cut the file short
        file.resize(random() % file.size());
        break;
      default:  // a run of pixel bytes to RLE escape codes
        for (std::size_t at = random() % file.size(), n = 0; at < file.size() && n < 8; ++at, ++n) {
          file[at] = static_cast<std::uint8_t>(random() % 3);
        }
        break;
    }
  }
  return file;
}

void ExpectConsistent(const BmpLayout& layout) {
  ASSERT_GT(layout.width, 0);
  ASSERT_GT(layout.height, 0);
  const std::uint64_t minimumRow = (std::uint64_t{static_cast<std::uint32_t>(layout.width)} *
                                        static_cast<unsigned>(layout.bitCount) + 7) / 8;
  EXPECT_GE(layout.rowBytes, minimumRow);
  EXPECT_EQ(layout.rowBytes % 4, 0u);
  EXPECT_EQ(layout.imageBytes, layout.rowBytes * static_cast<std::size_t>(layout.height));
  EXPECT_EQ(layout.colours.size(), layout.bitCount <= 8 ? std::size_t{1} << layout.bitCount : 0);
}

TEST(MutatedFilesTest, AreRefusedOrDecodedConsistently) {
  std::mt19937 random(8086);
  int accepted = 0;
  int refused = 0;
  for (const std::vector<std::uint8_t>& seed : Seeds()) {
    for (int round = 0; round < 40; ++round) {
      const std::vector<std::uint8_t> file = Mutate(seed, random);
      const auto parsed = ParseBmpLayout(file);
      if (std::holds_alternative<DecodeError>(parsed)) {
        ++refused;
        continue;
      }
      ++accepted;
      const BmpLayout& layout = std::get<BmpLayout>(parsed);
      ExpectConsistent(layout);
      if (layout.imageBytes > kLargestDecodedInTest) continue;
      std::vector<std::uint8_t> bits(layout.imageBytes, 0);
      DecodeBmpPixels(layout, file, bits);
    }
  }
  // Both outcomes must actually be exercised for the test to mean anything.
  EXPECT_GT(accepted, 500);
  EXPECT_GT(refused, 200);
}

}  // namespace
}  // namespace varne::bmp
