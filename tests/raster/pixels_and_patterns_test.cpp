// GetPixel, PatBlt and the depth conversions of BitBlt on small hand-made
// bitmaps whose results can be read off directly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/win32.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

// A bitmap selected into its own memory DC, both released at the end.
class Selected {
 public:
  explicit Selected(HBITMAP bitmap) : bitmap_(bitmap), dc_(CreateCompatibleDC(nullptr)) {
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  HDC dc() const { return dc_; }

 private:
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_;
};

HBITMAP MakeDib32(int width, int height, DWORD** words) {
  const BITMAPINFO info = SectionHeader(width, -height);  // top-down: words[y * width + x]
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *words = static_cast<DWORD*>(memory);
  return bitmap;
}

class RasterPixels : public LeakCheckedTest {};

TEST_F(RasterPixels, GetPixelGivesTheColourInsideAndInvalidOutside) {
  DWORD* words = nullptr;
  Selected surface(MakeDib32(3, 2, &words));
  words[1 * 3 + 2] = 0xAB112233;  // the fourth byte is not a colour
  EXPECT_EQ(GetPixel(surface.dc(), 2, 1), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(GetPixel(surface.dc(), 0, 0), 0u);
  for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {3, 2}}) {
    EXPECT_EQ(GetPixel(surface.dc(), x, y), CLR_INVALID) << x << "," << y;
  }
}

TEST_F(RasterPixels, GetPixelOnTheStockBitmapSeesOnePixel) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0u);
  EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);
  DeleteDC(dc);
}

TEST_F(RasterPixels, PatBltWhitenessSetsEveryBitOfTheRectangleOnly) {
  DWORD* words = nullptr;
  Selected surface(MakeDib32(4, 3, &words));
  ASSERT_TRUE(PatBlt(surface.dc(), 1, 1, 5, 5, WHITENESS));  // clipped at the right and bottom
  GdiFlush();
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const DWORD expected = (x >= 1 && y >= 1) ? 0xFFFFFFFF : 0;
      EXPECT_EQ(words[y * 4 + x], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(GetPixel(surface.dc(), 3, 2), 0x00FFFFFFu);
}

TEST_F(RasterPixels, PatBltWhitenessOnAMask) {
  Selected mask(CreateBitmap(70, 2, 1, 1, nullptr));
  ASSERT_TRUE(PatBlt(mask.dc(), 0, 0, 70, 2, BLACKNESS));
  ASSERT_TRUE(PatBlt(mask.dc(), 63, 1, 3, 1, WHITENESS));
  for (int x = 60; x < 70; ++x) {
    EXPECT_EQ(GetPixel(mask.dc(), x, 0), 0u) << x;
    EXPECT_EQ(GetPixel(mask.dc(), x, 1), (x >= 63 && x < 66) ? 0x00FFFFFFu : 0u) << x;
  }
}

TEST_F(RasterPixels, BrushPixelsCarryAZeroFourthByte) {
  DWORD* words = nullptr;
  Selected surface(MakeDib32(2, 1, &words));
  words[0] = 0xFF000000;
  words[1] = 0xFF000000;
  HBRUSH brush = CreateSolidBrush(RGB(0x10, 0x20, 0x30));
  const HGDIOBJ old = SelectObject(surface.dc(), brush);
  ASSERT_TRUE(PatBlt(surface.dc(), 0, 0, 1, 1, PATCOPY));
  ASSERT_TRUE(PatBlt(surface.dc(), 1, 0, 1, 1, PATINVERT));
  SelectObject(surface.dc(), old);
  DeleteObject(brush);
  GdiFlush();
  EXPECT_EQ(words[0], 0x00102030u);
  EXPECT_EQ(words[1], 0xFF102030u);
}

TEST_F(RasterPixels, PatBltRefusesCodesThatReadASource) {
  DWORD* words = nullptr;
  Selected surface(MakeDib32(2, 2, &words));
  EXPECT_FALSE(PatBlt(surface.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(words[0], 0u);
}

class DepthConversion : public LeakCheckedTest {};

TEST_F(DepthConversion, ColourToMaskIsOneWhereThePixelIsTheSourceBackground) {
  DWORD* words = nullptr;
  Selected colour(MakeDib32(3, 1, &words));
  words[0] = 0x00102030;  // the background colour, as a pixel word
  words[1] = 0xFF102030;  // the same colour with a fourth byte
  words[2] = 0x00102031;
  Selected mask(CreateBitmap(3, 1, 1, 1, nullptr));
  SetBkColor(colour.dc(), RGB(0x10, 0x20, 0x30));
  ASSERT_TRUE(BitBlt(mask.dc(), 0, 0, 3, 1, colour.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(mask.dc(), 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(GetPixel(mask.dc(), 2, 0), 0u);
  if (RunningOnWine()) {
    GTEST_SKIP() << "Wine compares the fourth byte too; Windows compares red, green and blue";
  }
  EXPECT_EQ(GetPixel(mask.dc(), 1, 0), 0x00FFFFFFu);
}

TEST_F(DepthConversion, MaskToColourUsesTheDestinationsBackgroundAndText) {
  const unsigned char bits[] = {0x80, 0x00};  // x = 0 is 1 (white), x = 1 is 0
  Selected mask(CreateBitmap(2, 1, 1, 1, bits));
  DWORD* words = nullptr;
  Selected colour(MakeDib32(2, 1, &words));
  SetBkColor(colour.dc(), RGB(0x11, 0x22, 0x33));
  SetTextColor(colour.dc(), RGB(0x44, 0x55, 0x66));
  SetBkColor(mask.dc(), RGB(1, 2, 3));  // the source's colours play no part
  SetTextColor(mask.dc(), RGB(4, 5, 6));
  ASSERT_TRUE(BitBlt(colour.dc(), 0, 0, 2, 1, mask.dc(), 0, 0, SRCCOPY));
  GdiFlush();
  EXPECT_EQ(words[0], 0x00112233u);
  EXPECT_EQ(words[1], 0x00445566u);
}

TEST_F(DepthConversion, OneBitSectionsMapThroughTheirColourTable) {
  const SectionHeaderWithColours info =
      SectionHeaderWithTable(2, 1, 1, {RGBQUAD{0x01, 0x02, 0x03, 0}, RGBQUAD{0x04, 0x05, 0x06, 0}});
  void* memory = nullptr;
  Selected section(CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &memory, nullptr, 0));
  static_cast<unsigned char*>(memory)[0] = 0x80;  // x = 0 uses entry 1
  DWORD* words = nullptr;
  Selected colour(MakeDib32(2, 1, &words));
  SetBkColor(colour.dc(), RGB(0xAA, 0xAA, 0xAA));
  SetTextColor(colour.dc(), RGB(0xBB, 0xBB, 0xBB));
  ASSERT_TRUE(BitBlt(colour.dc(), 0, 0, 2, 1, section.dc(), 0, 0, SRCCOPY));
  GdiFlush();
  EXPECT_EQ(words[0], 0x00060504u);
  EXPECT_EQ(words[1], 0x00030201u);
}

TEST_F(DepthConversion, BlitWithinOneBitmapReadsTheSourceBeforeWritingIt) {
  DWORD* words = nullptr;
  Selected surface(MakeDib32(4, 4, &words));
  for (DWORD i = 0; i < 16; ++i) words[i] = i + 1;
  // Down and to the right by one: every source row and pixel overlaps.
  ASSERT_TRUE(BitBlt(surface.dc(), 1, 1, 3, 3, surface.dc(), 0, 0, SRCCOPY));
  GdiFlush();
  const DWORD expected[16] = {1, 2, 3, 4, 5, 1, 2, 3, 9, 5, 6, 7, 13, 9, 10, 11};
  EXPECT_EQ(0, std::memcmp(words, expected, sizeof(expected)));
  // And back up and to the left, through an operation that reads D.
  ASSERT_TRUE(BitBlt(surface.dc(), 0, 0, 3, 3, surface.dc(), 1, 1, SRCINVERT));
  GdiFlush();
  // Each pixel of the 3 x 3 block, XOR the one below and right of it as it
  // was before the blit.
  DWORD inverted[16];
  std::memcpy(inverted, expected, sizeof(inverted));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) inverted[y * 4 + x] = expected[y * 4 + x] ^ expected[(y + 1) * 4 + x + 1];
  EXPECT_EQ(0, std::memcmp(words, inverted, sizeof(inverted)));
}

// Larger blocks in every direction, as tiling a picture from its own
// corner does: each result against a copy taken from a snapshot.
TEST_F(DepthConversion, OverlappingCopiesWithinOneBitmapInEveryDirection) {
  constexpr int kWidth = 150, kHeight = 40;
  DWORD* words = nullptr;
  Selected surface(MakeDib32(kWidth, kHeight, &words));
  std::mt19937 random(21);
  for (const int dy : {-3, 0, 5}) {
    for (const int dx : {-70, -1, 0, 1, 65}) {
      SCOPED_TRACE(testing::Message() << "moved by " << dx << ", " << dy);
      for (int i = 0; i < kWidth * kHeight; ++i) words[i] = random() & 0x00FFFFFF;
      const std::vector<DWORD> before(words, words + kWidth * kHeight);
      const int fromX = 70, fromY = 10, w = 75, h = 25;
      ASSERT_TRUE(BitBlt(surface.dc(), fromX + dx, fromY + dy, w, h, surface.dc(), fromX, fromY,
                         SRCCOPY));
      GdiFlush();
      const auto at = [](int x, int y) { return static_cast<std::size_t>(y * kWidth + x); };
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const int sx = x - dx, sy = y - dy;
          const bool moved = sx >= fromX && sx < fromX + w && sy >= fromY && sy < fromY + h;
          ASSERT_EQ(words[at(x, y)], moved ? before[at(sx, sy)] : before[at(x, y)])
              << "at " << x << ", " << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace varne::test
