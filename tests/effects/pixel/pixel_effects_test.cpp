#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "effects/pixel/pixel_effects.h"
#include "image/colour_order.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

std::uint32_t Grey(int level) { return RGB(level, level, level); }  // symmetric in both orders

class PixelEffectsTest : public LeakCheckedTest {
 protected:
  // Runs `effect` over a random image and checks each word against `model`.
  template <typename Effect, typename Model>
  void ExpectPerPixel(Effect effect, Model model, std::uint32_t seed) {
    for (const auto& [width, height] : {std::pair{1, 1}, {17, 3}, {64, 65}}) {
      const OwnedBitmap image = RandomDib32(width, height, seed + width);
      ASSERT_TRUE(image);
      const Picture before = WordsFromDib(image.get());
      EXPECT_EQ(effect(image.get()), image.get()) << "works in place";
      const Picture after = WordsFromDib(image.get());
      ASSERT_EQ(after.pixels.size(), before.pixels.size());
      for (std::size_t i = 0; i < before.pixels.size(); ++i) {
        ASSERT_EQ(after.pixels[i], model(before.pixels[i]))
            << "word " << i << " of " << width << " x " << height << " was " << std::hex << before.pixels[i];
      }
    }
  }
};

TEST_F(PixelEffectsTest, LumaSpansTheStudioRange) {
  EXPECT_EQ(LumaOf(0x000000), 16);
  EXPECT_EQ(LumaOf(0xFFFFFF), 235);
  EXPECT_EQ(LumaOf(0xFF000000), 16) << "the fourth byte is not a colour";
  // Red weighs more than blue: the word order must not be mistaken.
  EXPECT_EQ(LumaOf(0x00FF0000), 82);
  EXPECT_EQ(LumaOf(0x0000FF00), 144);
  EXPECT_EQ(LumaOf(0x000000FF), 41);
  EXPECT_EQ(LumaOf(0x00808080), 126);
  for (const std::uint32_t word : RandomWords(2000, 1)) ASSERT_EQ(LumaOf(word), ModelLuma(word)) << word;
}

TEST_F(PixelEffectsTest, GrayScaleSetsEveryChannelToTheLuma) {
  ExpectPerPixel(GrayScaleDib, ModelGrey, 100);
  const OwnedBitmap image = NewDib32(2, 1);
  WritePicture(image.get(), FromPixels(2, 1, {0x00000000, 0xFFFFFFFF}));
  GrayScaleDib(image.get());
  EXPECT_EQ(WordsFromDib(image.get()).pixels, (std::vector<std::uint32_t>{0x101010, 0xEBEBEB}));
}

TEST_F(PixelEffectsTest, ThresholdAgainstTheModelForEveryKindOfLimit) {
  for (const int t : {INT_MIN, -256, -129, -128, -16, -1, 0, 15, 16, 128, 234, 235, 1000, INT_MAX}) {
    SCOPED_TRACE(t);
    ExpectPerPixel([t](HBITMAP image) { return ThresholdDib(image, t); },
                   [t](DWORD w) { return ModelThreshold(w, t); }, 200u + static_cast<std::uint32_t>(t));
  }
}

TEST_F(PixelEffectsTest, ThresholdBoundaries) {
  // Greys of luma 16, 17, 128 and 129 (the greys 0, 1, 130 and 131).
  ASSERT_EQ(ModelLuma(Grey(1)), 17);
  ASSERT_EQ(ModelLuma(Grey(130)), 128);
  ASSERT_EQ(ModelLuma(Grey(131)), 129);
  const Picture greys = FromPixels(4, 1, {Grey(0), Grey(1), Grey(130), Grey(131)});
  const OwnedBitmap image = NewDib32(4, 1);
  WritePicture(image.get(), greys);
  ThresholdDib(image.get(), 16);
  EXPECT_EQ(WordsFromDib(image.get()).pixels,
            (std::vector<std::uint32_t>{0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
  WritePicture(image.get(), greys);
  ThresholdDib(image.get(), -128);
  EXPECT_EQ(WordsFromDib(image.get()).pixels,
            (std::vector<std::uint32_t>{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000}));
}

TEST_F(PixelEffectsTest, InvertIsThePhotographicNegative) {
  ExpectPerPixel(InvertDib, ModelNegative, 300);
  const OwnedBitmap image = NewDib32(3, 1);
  WritePicture(image.get(), FromPixels(3, 1, {0x00FF0000, 0x00123456, 0xFF000000}));
  InvertDib(image.get());
  EXPECT_EQ(WordsFromDib(image.get()).pixels,
            (std::vector<std::uint32_t>{0x0000FFFF, 0x00EDCBA9, 0x00FFFFFF}));
}

TEST_F(PixelEffectsTest, EffectsRefuseWhatIsNotADib32) {
  EXPECT_EQ(GrayScaleDib(nullptr), nullptr);
  EXPECT_EQ(ThresholdDib(nullptr, 100), nullptr);
  EXPECT_EQ(InvertDib(nullptr), nullptr);
  // A 24-bpp section: running 32-bit words over it would pass its end.
  const BITMAPINFO info = SectionHeader(5, 5, 24);
  void* bits = nullptr;
  const OwnedBitmap narrow(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(narrow);
  EXPECT_EQ(GrayScaleDib(narrow.get()), nullptr);
  EXPECT_EQ(ThresholdDib(narrow.get(), 1), nullptr);
  EXPECT_EQ(InvertDib(narrow.get()), nullptr);
}

}  // namespace
}  // namespace varne::test
