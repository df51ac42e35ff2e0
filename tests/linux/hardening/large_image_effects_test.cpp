// Every effect on the largest picture the test machine affords: right on
// sampled pixels (the borders, the corners and thousands of seeded random
// places) against models written from each effect's pixel rule, and not
// one platform object left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "effects/geometry/rotate_dib.h"
#include "effects/pixel/pixel_effects.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"
#include "tests/linux/hardening/large_picture.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

// 8192 x 8192 is 256 MiB a surface; turned by 45 degrees it needs 512 MiB,
// half the cap: large enough to reach the far ends of large surfaces, small
// enough for the sanitizer run.
constexpr int kSide = 8192;
constexpr int kRandomSamples = 20000;

constexpr COLORREF kLight = 0x00FF8080;  // red 128, green 128, blue 255
constexpr COLORREF kDark = 0x00A00000;   // red 0, green 0, blue 160
constexpr DWORD kWhite = 0x00FFFFFF;
constexpr DWORD kColour = 0x00FFFFFF;  // red, green and blue of a word

// The photograph: colours constant over 3 x 2 blocks, so there are both
// flat areas and edges everywhere, and a random fourth byte.
DWORD Photo(std::int64_t x, std::int64_t y) {
  return (Hashed(x / 3, y / 2, 1) & kColour) | (Hashed(x, y, 2) & 0xFF000000);
}

// The mark and the shape: black and white 4 x 4 blocks with some grey.
DWORD Mark(std::int64_t x, std::int64_t y) {
  const DWORD h = Hashed(x / 4, y / 4, 3);
  if (h % 8 == 0) return 0x00808080;
  return h & 1 ? kWhite : 0;
}

// The skin: 37 x 23 pixels of random colour, so tiling is visible.
DWORD Texture(std::int64_t x, std::int64_t y) { return Hashed(x, y, 4) & kColour; }
constexpr int kSkinWidth = 37, kSkinHeight = 23;

struct Spot {
  std::int64_t x;
  std::int64_t y;
};

// Every border pixel, the pixels next to them, and seeded random ones.
std::vector<Spot> Spots(std::int64_t w, std::int64_t h, std::uint32_t seed) {
  std::vector<Spot> spots;
  for (std::int64_t x = 0; x < w; ++x) {
    for (std::int64_t y : {std::int64_t{0}, std::int64_t{1}, h - 2, h - 1}) spots.push_back({x, y});
  }
  for (std::int64_t y = 0; y < h; ++y) {
    for (std::int64_t x : {std::int64_t{0}, std::int64_t{1}, w - 2, w - 1}) spots.push_back({x, y});
  }
  std::mt19937 random(seed);
  for (int i = 0; i < kRandomSamples; ++i) {
    spots.push_back({static_cast<std::int64_t>(random() % w), static_cast<std::int64_t>(random() % h)});
  }
  return spots;
}

// Checks `expected` against the section at every spot; stops reporting
// after a few differences so one fault does not flood the log.
void ExpectSpots(HBITMAP result, std::int64_t w, std::int64_t h, DWORD compared,
                 const PixelAt& expected) {
  const Picture view = ViewOfSection(result);
  ASSERT_NE(view.section, nullptr);
  ASSERT_EQ(view.width, w);
  ASSERT_EQ(view.height, h);
  int differences = 0;
  for (const Spot& spot : Spots(w, h, static_cast<std::uint32_t>(w * 31 + h))) {
    const DWORD got = view.at(static_cast<int>(spot.x), static_cast<int>(spot.y)) & compared;
    const DWORD want = expected(spot.x, spot.y) & compared;
    if (got != want && ++differences <= 5) {
      ADD_FAILURE() << "at (" << spot.x << ", " << spot.y << ") " << std::hex << got
                    << " instead of " << want;
    }
  }
  EXPECT_EQ(differences, 0);
}

class LargeImageEffects : public LeakCheckedTest {
 protected:
  static void SetUpTestSuite() {
    photo_ = MakeLargeDib<Photo>(kSide, kSide);
    mark_ = MakeLargeDib<Mark>(kSide, kSide);
    skin_ = MakeLargeDib<Texture>(kSkinWidth, kSkinHeight);
  }
  static void TearDownTestSuite() {
    DeleteObject(photo_);
    DeleteObject(mark_);
    DeleteObject(skin_);
    photo_ = mark_ = skin_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(photo_, nullptr);
    ASSERT_NE(mark_, nullptr);
    ASSERT_NE(skin_, nullptr);
    LeakCheckedTest::SetUp();
  }

  // A fresh copy of the photograph, as every command starts from one.
  static HBITMAP PhotoCopy() { return CopyDib32(photo_); }

  static HBITMAP photo_;
  static HBITMAP mark_;
  static HBITMAP skin_;
};

HBITMAP LargeImageEffects::photo_ = nullptr;
HBITMAP LargeImageEffects::mark_ = nullptr;
HBITMAP LargeImageEffects::skin_ = nullptr;

TEST_F(LargeImageEffects, CopyIsWordForWordAndLeavesTheSource) {
  const HBITMAP copy = PhotoCopy();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, photo_);
  const Picture from = ViewOfSection(photo_);
  const Picture to = ViewOfSection(copy);
  ASSERT_NE(to.section, nullptr);
  EXPECT_NE(to.section, from.section);
  EXPECT_EQ(std::memcmp(to.section, from.section, std::size_t{kSide} * kSide * 4), 0);
  ExpectSpots(copy, kSide, kSide, 0xFFFFFFFF, Photo);
  ExpectSpots(photo_, kSide, kSide, 0xFFFFFFFF, Photo);
  DeleteObject(copy);
}

TEST_F(LargeImageEffects, GrayScale) {
  const HBITMAP image = PhotoCopy();
  ASSERT_EQ(GrayScaleDib(image), image);
  ExpectSpots(image, kSide, kSide, 0xFFFFFFFF,
              [](std::int64_t x, std::int64_t y) { return ModelGrey(Photo(x, y)); });
  DeleteObject(image);
}

TEST_F(LargeImageEffects, Invert) {
  const HBITMAP image = PhotoCopy();
  ASSERT_EQ(InvertDib(image), image);
  ExpectSpots(image, kSide, kSide, 0xFFFFFFFF,
              [](std::int64_t x, std::int64_t y) { return ModelNegative(Photo(x, y)); });
  DeleteObject(image);
}

TEST_F(LargeImageEffects, Threshold) {
  for (const int t : {127, -128}) {
    SCOPED_TRACE(t);
    const HBITMAP image = PhotoCopy();
    ASSERT_EQ(ThresholdDib(image, t), image);
    ExpectSpots(image, kSide, kSide, 0xFFFFFFFF,
                [t](std::int64_t x, std::int64_t y) { return ModelThreshold(Photo(x, y), t); });
    DeleteObject(image);
  }
}

// White where the thresholded photograph is white, except black where its
// upper-left or lower-right neighbour is black.
TEST_F(LargeImageEffects, Edges) {
  const HBITMAP image = PhotoCopy();
  ASSERT_EQ(EdgesDib(image, 127), image);
  ExpectSpots(image, kSide, kSide, kColour,
              [](std::int64_t x, std::int64_t y) { return EdgesAt(Photo, kSide, kSide, x, y, 127); });
  DeleteObject(image);
}

// The disabled style over black: ink (luma above 128, which the threshold
// at -128 turns black) in the shadow colour, and its copy one pixel down
// and to the right in the highlight colour where there is no ink.
TEST_F(LargeImageEffects, Emboss) {
  const HBITMAP image = PhotoCopy();
  const HBITMAP embossed = EmbossDib(image, -128);
  ASSERT_NE(embossed, nullptr);
  BITMAP record{};
  EXPECT_EQ(GetObjectA(image, sizeof record, &record), 0) << "the input is released";
  const DWORD shadow = PixelOf(GetSysColor(COLOR_3DSHADOW));
  const DWORD highlight = PixelOf(GetSysColor(COLOR_3DHILIGHT));
  ExpectSpots(embossed, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    return EmbossAt(Photo, kSide, kSide, x, y, -128, highlight, shadow);
  });
  DeleteObject(embossed);
}

TEST_F(LargeImageEffects, WatermarkPlacedOffTheCorner) {
  constexpr int kAtX = 3, kAtY = 5;  // the mark's far borders fall outside
  const HBITMAP result = WatermarkDib(mark_, photo_, 1, kAtX, kAtY, kLight, kDark);
  ASSERT_NE(result, nullptr);
  ExpectSpots(result, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    return WatermarkAt(Mark, kSide, kSide, Photo, kAtX, kAtY, 1, kLight, kDark, x, y);
  });
  ExpectSpots(photo_, kSide, kSide, 0xFFFFFFFF, Photo);
  ExpectSpots(mark_, kSide, kSide, 0xFFFFFFFF, Mark);
  DeleteObject(result);
}

TEST_F(LargeImageEffects, Skin) {
  const HBITMAP result = SkinDib(mark_, skin_, 0, kLight, kDark);
  ASSERT_NE(result, nullptr);
  ExpectSpots(result, kSide, kSide, kColour, [](std::int64_t x, std::int64_t y) {
    return SkinAt(Mark, kSide, kSide, Texture, kSkinWidth, kSkinHeight, 0, kLight, kDark, x, y);
  });
  ExpectSpots(mark_, kSide, kSide, 0xFFFFFFFF, Mark);
  DeleteObject(result);
}

// Inverse mapping in memory coordinates (row 0 at the bottom), every
// rounding through the library, the marked products in single precision.
TEST_F(LargeImageEffects, RotateFortyFive) {
  const float angle = DegreesToRadians(45);
  const HBITMAP turned = RotateDib(photo_, angle, 0x00C0C0C0);
  ASSERT_NE(turned, nullptr);
  const TurnFrame frame = ModelTurnFrame(kSide, kSide, angle);
  ExpectSpots(turned, frame.width, frame.height, 0xFFFFFFFF, [&](std::int64_t x, std::int64_t y) {
    const auto from = ModelTurnSource(frame, kSide, kSide, frame.height - 1 - y, x);
    return from ? Photo(from->first, kSide - 1 - from->second) : 0x00C0C0C0u;
  });
  ExpectSpots(photo_, kSide, kSide, 0xFFFFFFFF, Photo);
  DeleteObject(turned);
}

}  // namespace
}  // namespace varne::test
