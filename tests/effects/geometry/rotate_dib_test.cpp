#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "effects/geometry/rotate_dib.h"
#include "image/colour_order.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

constexpr COLORREF kLightGrey = 0x00C0C0C0;  // red, green and blue 192

class RotateDibTest : public LeakCheckedTest {};

TEST_F(RotateDibTest, FortyFiveDegreesInSinglePrecision) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DegreesToRadians(45.0f)), 0x3F490FDBu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(std::sin(double{DegreesToRadians(45.0f)}))),
            0x3F3504F3u);
  EXPECT_EQ(DegreesToRadians(0.0f), 0.0f);
  EXPECT_EQ(DegreesToRadians(-180.0f), -static_cast<float>(3.14159265358979323846));
}

TEST_F(RotateDibTest, SizesAtFortyFiveDegrees) {
  struct Case {
    int width, height, turnedWidth, turnedHeight;
  };
  for (const Case& size : {Case{100, 50, 106, 106}, Case{640, 480, 792, 792}, Case{3, 3, 4, 4},
                           Case{1, 1, 2, 1}, Case{2, 1, 2, 2}}) {
    const OwnedBitmap source = NewDib32(size.width, size.height);
    const OwnedBitmap turned(RotateDib(source.get(), DegreesToRadians(45), kLightGrey));
    ASSERT_TRUE(turned);
    const BITMAP description = DescriptionOf(turned.get());
    EXPECT_EQ(description.bmWidth, size.turnedWidth) << size.width << " x " << size.height;
    EXPECT_EQ(description.bmHeight, size.turnedHeight) << size.width << " x " << size.height;
  }
}

TEST_F(RotateDibTest, BackgroundTrianglesAreTheGreyWithAZeroFourthByte) {
  // A source of the background's own colour but a set fourth byte, so no
  // source pixel can pass for background.
  const OwnedBitmap source = NewDib32(100, 50);
  WritePicture(source.get(), Picture(100, 50, 0xFFC0C0C0));
  const OwnedBitmap turned(RotateDib(source.get(), DegreesToRadians(45), kLightGrey));
  ASSERT_TRUE(turned);
  const Picture words = WordsFromDib(turned.get());
  ASSERT_EQ(words.pixels.size(), 106u * 106u);
  std::size_t background = 0;
  for (const std::uint32_t word : words.pixels) {
    ASSERT_TRUE(word == 0x00C0C0C0 || word == 0xFFC0C0C0) << std::hex << word;
    background += word == 0x00C0C0C0;
  }
  // The four corners of the frame lie outside the turned rectangle, and
  // the rectangle covers about its own area.
  for (const auto& [x, y] : {std::pair{0, 0}, {105, 0}, {0, 105}, {105, 105}}) {
    EXPECT_EQ(words.at(x, y), 0x00C0C0C0u) << x << ", " << y;
  }
  EXPECT_NEAR(static_cast<double>(words.pixels.size() - background), 5000.0, 200.0);
}

TEST_F(RotateDibTest, SamplesExactlyAsTheFormulaOnRandomSizesAndAngles) {
  struct Case {
    int width, height;
    float angle;
  };
  // First the cases where the details decide: at 30 degrees the sine is
  // exactly 0.5 and ties to even matter; at about -5.53 radians a 45 x 38
  // image is one row taller, and at about -5.87 radians a 61 x 44 image
  // samples other columns, if the products are not rounded to single precision.
  std::vector<Case> cases = {{7, 5, DegreesToRadians(30)},
                             {45, 38, std::bit_cast<float>(0xC0B0F5C2u)},
                             {61, 44, std::bit_cast<float>(0xC0BBD70Au)},
                             {33, 20, DegreesToRadians(45)},
                             {20, 33, DegreesToRadians(90)}};
  std::mt19937 generator(2024);
  while (cases.size() < 60) {
    cases.push_back({1 + static_cast<int>(generator() % 48), 1 + static_cast<int>(generator() % 48),
                     static_cast<float>(generator() % 1440) / 100.0f - 7.2f});
  }
  for (const Case& turn : cases) {
    SCOPED_TRACE(::testing::Message() << turn.width << " x " << turn.height << " by " << turn.angle);
    const COLORREF background = generator() & 0x00FFFFFFu;
    const OwnedBitmap source = RandomDib32(turn.width, turn.height, generator());
    const Picture before = WordsFromDib(source.get());
    const OwnedBitmap turned(RotateDib(source.get(), turn.angle, background));
    ASSERT_TRUE(turned);
    const Picture model = ModelTurn(before, turn.angle, PixelFromColorref(background));
    const BITMAP description = DescriptionOf(turned.get());
    ASSERT_EQ(description.bmWidth, model.width);
    ASSERT_EQ(description.bmHeight, model.height);
    EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(turned.get()), model);
    EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(source.get()), before) << "the source must stay as it was";
  }
}

// The copy loop works on spans of columns found by bisection, in tiles of
// many rows and columns, with streaming stores. Every shape where that can
// go wrong against the plain per-pixel loop: a span ending one column
// early or late, a tile or line edge, a row with nothing inside, an angle
// where the turned image degenerates to a line.
TEST_F(RotateDibTest, MatchesThePerPixelLoopOnEveryShapeAndAngle) {
  const float quarter = static_cast<float>(3.14159265358979323846 / 2);
  std::vector<float> angles = {DegreesToRadians(45),  DegreesToRadians(-45), DegreesToRadians(90),
                               DegreesToRadians(180), DegreesToRadians(270), DegreesToRadians(135),
                               1e-7f, -1e-7f, 0.0f, 3e-4f};
  for (int k = -4; k <= 4; ++k) {
    const float multiple = static_cast<float>(k) * quarter;
    angles.push_back(std::nextafter(multiple, 10.0f));
    angles.push_back(std::nextafter(multiple, -10.0f));
  }
  std::mt19937 generator(77);
  for (int k = 0; k < 12; ++k) {
    angles.push_back(static_cast<float>(generator() % 100000) / 100000.0f * 12.6f - 6.3f);
  }
  struct Size {
    int width, height;
  };
  const std::vector<Size> sizes = {{1, 1}, {1, 37}, {53, 1}, {2, 3}, {17, 9}, {129, 65}, {300, 170}};
  for (const Size& size : sizes) {
    const OwnedBitmap source = RandomDib32(size.width, size.height, generator());
    const Picture before = WordsFromDib(source.get());
    for (const float angle : angles) {
      // Large sizes take a few angles only, to keep the test quick under Wine.
      if (size.width * size.height > 5000 && generator() % 4 != 0 && angle != angles[0]) continue;
      SCOPED_TRACE(::testing::Message() << size.width << " x " << size.height << " by "
                                        << std::hexfloat << angle);
      const COLORREF background = generator() & 0x00FFFFFFu;
      const OwnedBitmap turned(RotateDib(source.get(), angle, background));
      const Picture model = ModelTurn(before, angle, PixelFromColorref(background));
      if (model.width < 1 || model.height < 1) {
        EXPECT_FALSE(turned) << "a turned image without pixels has no surface";
        continue;
      }
      ASSERT_TRUE(turned);
      const BITMAP description = DescriptionOf(turned.get());
      ASSERT_EQ(description.bmWidth, model.width);
      ASSERT_EQ(description.bmHeight, model.height);
      EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(turned.get()), model);
    }
    EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(source.get()), before) << "the source must stay as it was";
  }
}

TEST_F(RotateDibTest, TurnsCounterClockwiseAsDisplayed) {
  // A wide bar whose right end is red: turned counter-clockwise, that end
  // rises (smaller display y) and stays to the right.
  constexpr int kWidth = 40, kHeight = 6;
  const OwnedBitmap source = NewDib32(kWidth, kHeight);
  Picture bar(kWidth, kHeight, 0x000000FF);
  for (int y = 0; y < kHeight; ++y) bar.at(kWidth - 1, y) = 0x00FF0000;
  WritePicture(source.get(), bar);
  const OwnedBitmap turned(RotateDib(source.get(), DegreesToRadians(45), kLightGrey));
  ASSERT_TRUE(turned);
  const BITMAP description = DescriptionOf(turned.get());

  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, turned.get());
  double redX = 0, redY = 0, blueX = 0, blueY = 0;
  int reds = 0, blues = 0;
  for (int y = 0; y < description.bmHeight; ++y) {
    for (int x = 0; x < description.bmWidth; ++x) {
      const COLORREF colour = GetPixel(dc, x, y);
      if (colour == RGB(255, 0, 0)) redX += x, redY += y, ++reds;
      if (colour == RGB(0, 0, 255)) blueX += x, blueY += y, ++blues;
    }
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  ASSERT_GT(reds, 0);
  ASSERT_GT(blues, 0);
  EXPECT_LT(redY / reds, blueY / blues - 5) << "the red end must be higher on screen";
  EXPECT_GT(redX / reds, blueX / blues + 5);
}

TEST_F(RotateDibTest, RefusesWhatIsNotADib32OrNotAnAngle) {
  EXPECT_EQ(RotateDib(nullptr, 1.0f, kLightGrey), nullptr);
  const OwnedBitmap source = RandomDib32(5, 4, 3);
  for (const float angle : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(RotateDib(source.get(), angle, kLightGrey), nullptr) << angle;
  }
  // Masked words are not 0x00RRGGBB: the turn could not keep them whole.
  const SectionHeaderWithColours masked =
      SectionHeaderWithMasks(5, 4, 32, {0x000000FF, 0x0000FF00, 0x00FF0000});
  void* bits = nullptr;
  const OwnedBitmap section(CreateDIBSection(nullptr, masked.info(), DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(section);
  EXPECT_EQ(RotateDib(section.get(), 1.0f, kLightGrey), nullptr);
}

}  // namespace
}  // namespace varne::test
