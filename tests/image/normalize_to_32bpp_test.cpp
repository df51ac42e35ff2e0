#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/bitmap_loader.h"
#include "image/dib32.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

// One in-memory DIB section layout, as a file would bring it.
struct Layout {
  const char* name;
  int bitsPerPixel;
  DWORD compression;
  bool topDown;
  DWORD masks[3];  // red, green, blue; only for BI_BITFIELDS
};

// A section of the layout with random pixels, and the 0x00RRGGBB colour
// every pixel should have.
struct Sample {
  OwnedBitmap section;
  Picture expected;
};

Sample MakeSample(const Layout& layout, int width, int height, std::uint32_t seed) {
  std::mt19937 generator(seed);
  const int bpp = layout.bitsPerPixel;
  const int colours = bpp <= 8 ? 1 << bpp : 0;
  SectionHeaderWithColours info =
      SectionHeaderWithTable(width, layout.topDown ? -height : height, static_cast<WORD>(bpp));
  info.header.biCompression = layout.compression;
  info.header.biClrUsed = static_cast<DWORD>(colours);
  RGBQUAD* table = info.colours;
  std::vector<DWORD> palette(static_cast<std::size_t>(colours));
  for (int i = 0; i < colours; ++i) {
    const DWORD colour = generator() & 0x00FFFFFFu;
    palette[i] = colour;
    table[i] = RGBQUAD{static_cast<BYTE>(colour), static_cast<BYTE>(colour >> 8),
                       static_cast<BYTE>(colour >> 16), 0};
  }
  DWORD masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  if (bpp == 16) masks[0] = 0x7C00u, masks[1] = 0x03E0u, masks[2] = 0x001Fu;
  if (layout.compression == BI_BITFIELDS) {
    std::memcpy(masks, layout.masks, sizeof(masks));
    std::memcpy(table, masks, sizeof(masks));
  }

  void* bits = nullptr;
  Sample sample{OwnedBitmap(CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0)),
                Picture(width, height)};
  if (!sample.section || bits == nullptr) return sample;
  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  auto* memory = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = memory + stride * static_cast<std::size_t>(layout.topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const DWORD raw = generator();
      DWORD colour = 0;
      if (bpp <= 8) {
        const DWORD index = raw % static_cast<DWORD>(colours);
        const int bit = x * bpp;
        const int shift = 8 - bpp - bit % 8;
        row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (index << shift));
        colour = palette[index];
      } else if (bpp == 24) {
        std::memcpy(row + 3 * x, &raw, 3);
        colour = raw & 0x00FFFFFFu;
      } else {
        std::memcpy(row + static_cast<std::size_t>(x) * (bpp / 8), &raw, bpp / 8);
        colour = ChannelOf(raw, masks[0]) << 16 | ChannelOf(raw, masks[1]) << 8 | ChannelOf(raw, masks[2]);
      }
      sample.expected.at(x, y) = colour;
    }
  }
  GdiFlush();
  return sample;
}

class NormalizeTo32BppTest : public LeakCheckedTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(NormalizeTo32BppTest, GivesADib32OfTheSameSizeAndColours) {
  const Layout& layout = GetParam();
  for (const auto& [width, height] : {std::pair{1, 1}, {7, 3}, {33, 17}}) {
    Sample sample = MakeSample(layout, width, height, width * 131u + height);
    ASSERT_TRUE(sample.section) << width << " x " << height;
    const HBITMAP loaded = sample.section.release();
    const OwnedBitmap normal(NormalizeTo32Bpp(loaded));
    ASSERT_TRUE(normal);
    Dib32Pixels pixels{};
    ASSERT_TRUE(ReadDib32Pixels(normal.get(), &pixels));
    EXPECT_EQ(pixels.width, width);
    EXPECT_EQ(pixels.height, height);
    // The fourth byte the conversion leaves is the platform's.
    EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(normal.get()), sample.expected);
    // A single row of 0x00RRGGBB words reads the same either way up.
    const bool alreadyDib32 = height == 1 && layout.bitsPerPixel == 32 && layout.compression == BI_RGB;
    if (!alreadyDib32) {
      EXPECT_NE(normal.get(), loaded) << "a converted bitmap is a new surface";
      BITMAP gone{};
      EXPECT_EQ(GetObjectA(loaded, sizeof(gone), &gone), 0) << "the original must be released";
    }
  }
}

constexpr Layout kLayouts[] = {
    {"Mono", 1, BI_RGB, false, {}},
    {"Palette16", 4, BI_RGB, false, {}},
    {"Palette256", 8, BI_RGB, false, {}},
    {"Palette256TopDown", 8, BI_RGB, true, {}},
    {"Rgb555", 16, BI_RGB, false, {}},
    {"Rgb565", 16, BI_BITFIELDS, false, {0xF800u, 0x07E0u, 0x001Fu}},
    {"Bgr24", 24, BI_RGB, false, {}},
    {"Bgr24TopDown", 24, BI_RGB, true, {}},
    {"Rgb32TopDown", 32, BI_RGB, true, {}},
    {"Bitfields32Standard", 32, BI_BITFIELDS, false, {0x00FF0000u, 0x0000FF00u, 0x000000FFu}},
    {"Bitfields32Swapped", 32, BI_BITFIELDS, false, {0x000000FFu, 0x0000FF00u, 0x00FF0000u}},
    {"Bitfields32Shifted", 32, BI_BITFIELDS, true, {0xFF000000u, 0x00FF0000u, 0x0000FF00u}},
};

INSTANTIATE_TEST_SUITE_P(Depths, NormalizeTo32BppTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

class NormalizeDib32Test : public LeakCheckedTest {};

TEST_F(NormalizeDib32Test, KeepsADib32AsItIs) {
  OwnedBitmap surface = RandomDib32(10, 6, 5);
  const Picture words = WordsFromDib(surface.get());
  const HBITMAP loaded = surface.release();
  const OwnedBitmap normal(NormalizeTo32Bpp(loaded));
  EXPECT_EQ(normal.get(), loaded);
  EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(normal.get()), words)
      << "not a single word changed, fourth bytes included";
}

TEST_F(NormalizeDib32Test, NoneAndOtherObjectsGiveNone) {
  EXPECT_EQ(NormalizeTo32Bpp(nullptr), nullptr);
  const HBRUSH brush = CreateSolidBrush(0x00123456);
  EXPECT_EQ(NormalizeTo32Bpp(reinterpret_cast<HBITMAP>(brush)), nullptr);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "not a bitmap: not consumed";
  DeleteObject(brush);
}

}  // namespace
}  // namespace varne::test
