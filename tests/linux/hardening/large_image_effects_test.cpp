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

// 8192 x 8192 is 256 MiB a surface; turned by 45 degrees it needs 537 MiB,
// half the cap. The sanitizer build runs this whole file in well under a
// minute on two cores.
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
  const auto dark = [](std::int64_t x, std::int64_t y) {
    return x >= 0 && y >= 0 && x < kSide && y < kSide && ModelLuma(Photo(x, y)) <= 127;
  };
  ExpectSpots(image, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    return !dark(x, y) && (dark(x - 1, y - 1) || dark(x + 1, y + 1)) ? 0u : kWhite;
  });
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
  const auto ink = [](std::int64_t x, std::int64_t y) {
    return x >= 0 && y >= 0 && x < kSide && y < kSide && ModelLuma(Photo(x, y)) > 128;
  };
  const DWORD shadow = PixelOf(GetSysColor(COLOR_3DSHADOW));
  const DWORD highlight = PixelOf(GetSysColor(COLOR_3DHILIGHT));
  ExpectSpots(embossed, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    if (ink(x, y)) return shadow;
    return ink(x - 1, y - 1) ? highlight : 0u;
  });
  DeleteObject(embossed);
}

// Rims of a shape whose key colour is `key`: a key pixel whose diagonal
// neighbour (dx, dy) is inside and not key.
bool OnRim(std::int64_t x, std::int64_t y, std::int64_t dx, std::int64_t dy, DWORD key) {
  const std::int64_t nx = x + dx, ny = y + dy;
  const bool inside = nx >= 0 && ny >= 0 && nx < kSide && ny < kSide;
  return Mark(x, y) == key && inside && Mark(nx, ny) != key;
}

TEST_F(LargeImageEffects, WatermarkPlacedOffTheCorner) {
  constexpr int kAtX = 3, kAtY = 5;  // the mark's far borders fall outside
  const HBITMAP result = WatermarkDib(mark_, photo_, 1, kAtX, kAtY, kLight, kDark);
  ASSERT_NE(result, nullptr);
  const DWORD key = Mark(0, 0);
  ExpectSpots(result, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    const std::int64_t mx = x - kAtX, my = y - kAtY;
    if (mx >= 0 && my >= 0) {
      if (OnRim(mx, my, -1, -1, key)) return PixelOf(kDark);
      if (OnRim(mx, my, 1, 1, key)) return PixelOf(kLight);
    }
    return Photo(x, y);
  });
  ExpectSpots(photo_, kSide, kSide, 0xFFFFFFFF, Photo);
  ExpectSpots(mark_, kSide, kSide, 0xFFFFFFFF, Mark);
  DeleteObject(result);
}

TEST_F(LargeImageEffects, Skin) {
  const HBITMAP result = SkinDib(mark_, skin_, 0, kLight, kDark);
  ASSERT_NE(result, nullptr);
  const DWORD key = Mark(10, 10);
  ExpectSpots(result, kSide, kSide, kColour, [&](std::int64_t x, std::int64_t y) {
    if (OnRim(x, y, -1, -1, key)) return PixelOf(kLight);
    if (OnRim(x, y, 1, 1, key)) return PixelOf(kDark);
    if (Mark(x, y) == key) return key;
    return Texture(x % kSkinWidth, y % kSkinHeight);
  });
  ExpectSpots(mark_, kSide, kSide, 0xFFFFFFFF, Mark);
  DeleteObject(result);
}

// Inverse mapping in memory coordinates (row 0 at the bottom), every
// rounding through the library, the marked products in single precision.
TEST_F(LargeImageEffects, RotateFortyFive) {
  const HBITMAP turned = RotateDib(photo_, DegreesToRadians(45), 0x00C0C0C0);
  ASSERT_NE(turned, nullptr);
  const double angle = DegreesToRadians(45);
  const double s = static_cast<float>(std::sin(angle));
  const double c = static_cast<float>(std::cos(angle));
  const auto round = [](double v) { return static_cast<std::int64_t>(std::nearbyint(v)); };
  const auto single = [](double v) { return static_cast<double>(static_cast<float>(v)); };
  const double n = kSide;
  const std::int64_t xs[] = {0, round(-n * s), round(n * c - single(n * s)), round(n * c)};
  const std::int64_t ys[] = {0, round(n * c), round(n * c + single(n * s)), round(n * s)};
  const std::int64_t minX = *std::min_element(xs, xs + 4), minY = *std::min_element(ys, ys + 4);
  const std::int64_t w = *std::max_element(xs, xs + 4) - minX;
  const std::int64_t h = *std::max_element(ys, ys + 4) - minY;
  ExpectSpots(turned, w, h, 0xFFFFFFFF, [&](std::int64_t x, std::int64_t y) {
    const double gx = static_cast<double>(x + minX);
    const double gy = static_cast<double>(h - 1 - y + minY);
    const std::int64_t sx = round(gy * s + single(gx * c));
    const std::int64_t sy = round(gy * c - single(gx * s));
    if (sx < 0 || sy < 0 || sx >= kSide || sy >= kSide) return 0x00C0C0C0u;
    return Photo(sx, kSide - 1 - sy);
  });
  ExpectSpots(photo_, kSide, kSide, 0xFFFFFFFF, Photo);
  DeleteObject(turned);
}

}  // namespace
}  // namespace varne::test
