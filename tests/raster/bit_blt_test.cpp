// BitBlt against the test's own per-pixel model, on random bitmaps of every
// depth pair the system blits, with origins and sizes that clip at every
// edge of both bitmaps, and with non-default DC colours throughout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "tests/raster/blit_model.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

struct DepthPair {
  Depth destination;
  Depth source;
};

std::string PairName(const testing::TestParamInfo<DepthPair>& info) {
  return DepthName(info.param.destination) + "From" + DepthName(info.param.source);
}

// The codes the effects use, the other named ones, and a fixed sample of
// the rest of the 256.
std::vector<DWORD> CodesUnderTest() {
  std::vector<DWORD> codes = {SRCCOPY, MERGEPAINT, SRCAND, 0x00B8074A, SRCPAINT, SRCINVERT,
                              SRCERASE, NOTSRCCOPY, NOTSRCERASE, MERGECOPY, PATCOPY, PATPAINT,
                              PATINVERT, DSTINVERT, BLACKNESS, WHITENESS};
  std::mt19937 random(2024);
  for (int i = 0; i < 24; ++i) codes.push_back(static_cast<DWORD>(random() % 256) << 16);
  return codes;
}

COLORREF RandomColour(std::mt19937& random) { return static_cast<COLORREF>(random() & 0x00FFFFFF); }

int Between(std::mt19937& random, int low, int high) {
  return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
}

// Masks get wide enough to cross 64-bit words; packed DIB rows cross bytes.
int RandomWidth(std::mt19937& random, Depth depth) {
  return depth == Depth::kMask ? Between(random, 1, 150) : Between(random, 1, 40);
}

BlitCall RandomCall(std::mt19937& random, const Picture& destination, const Picture& source,
                    DWORD rop) {
  BlitCall call;
  call.rop = rop;
  call.x = Between(random, -destination.width / 3 - 1, destination.width - 1);
  call.y = Between(random, -destination.height / 3 - 1, destination.height - 1);
  call.width = Between(random, 1, destination.width + 4);
  call.height = Between(random, 1, destination.height + 4);
  call.sourceX = Between(random, -source.width / 3 - 1, source.width - 1);
  call.sourceY = Between(random, -source.height / 3 - 1, source.height - 1);
  call.destinationColours = {RandomColour(random), RandomColour(random)};
  call.sourceColours = {RandomColour(random), RandomColour(random)};
  // A mask holds a brush as black or white only; other colours would test
  // the platform's choice of the nearer one, which the system never needs.
  call.brush = destination.monochrome ? (random() % 2 ? 0x00FFFFFF : 0) : RandomColour(random);
  return call;
}

std::string Describe(const BlitCall& call, const Picture& destination, const Picture& source) {
  std::ostringstream text;
  text << std::hex << "rop 0x" << call.rop << std::dec << " into " << destination.width << "x"
       << destination.height << " at (" << call.x << "," << call.y << ") size " << call.width
       << "x" << call.height << " from " << source.width << "x" << source.height << " at ("
       << call.sourceX << "," << call.sourceY << ")";
  return text.str();
}

// Wine also compares the fourth byte of a 32-bpp pixel with the background
// colour when it makes a mask; Windows compares red, green and blue only.
void ClearFourthBytes(Picture& surface) {
  if (surface.monochrome || surface.bitsPerPixel != 32) return;
  for (std::uint32_t& value : surface.pixels) value &= 0x00FFFFFF;
}

class BitBltModelTest : public LeakCheckedTest, public testing::WithParamInterface<DepthPair> {};

TEST_P(BitBltModelTest, EveryPixelMatchesTheModel) {
  const DepthPair pair = GetParam();
  std::mt19937 random(static_cast<unsigned>(BitsOf(pair.destination) * 97 + BitsOf(pair.source) +
                                            static_cast<int>(pair.source) * 13));
  for (DWORD rop : CodesUnderTest()) {
    for (int trial = 0; trial < 3; ++trial) {
      // A call on 1 x 1 pictures, for its colours only.
      const BlitCall colours = RandomCall(random, Picture(1, 1), Picture(1, 1), rop);
      const std::vector<COLORREF> palette = {colours.sourceColours.background,
                                             colours.sourceColours.text, 0x00FFFFFF, 0,
                                             RandomColour(random), RandomColour(random)};
      const Picture destination =
          RandomSurface(random, pair.destination, RandomWidth(random, pair.destination),
                        Between(random, 1, 12), palette);
      Picture source = RandomSurface(random, pair.source, RandomWidth(random, pair.source),
                                     Between(random, 1, 12), palette);
      if (pair.destination == Depth::kMask && RunningOnWine()) ClearFourthBytes(source);
      BlitCall call = RandomCall(random, destination, source, rop);
      call.sourceColours = colours.sourceColours;  // so the source holds its background colour
      EXPECT_PRED_FORMAT2(PicturesEqual, PlatformBlit(destination, source, call),
                          ModelBlit(destination, source, call))
          << Describe(call, destination, source);
      if (HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    DepthPairs, BitBltModelTest,
    testing::Values(DepthPair{Depth::kDib32, Depth::kDib32}, DepthPair{Depth::kDib32, Depth::kMask},
                    DepthPair{Depth::kMask, Depth::kMask}, DepthPair{Depth::kMask, Depth::kDib32},
                    DepthPair{Depth::kDib32, Depth::kDib1}, DepthPair{Depth::kDib32, Depth::kDib4},
                    DepthPair{Depth::kDib32, Depth::kDib8},
                    DepthPair{Depth::kDib32, Depth::kDib24}),
    PairName);

// A 1-bpp section whose table holds one colour: index 1 lies past it and
// shows black. Into a mask a pixel turns white where it has the source DC's
// background colour, so with a black background exactly those turn white.
using ShortColourTable = LeakCheckedTest;

TEST_F(ShortColourTable, IndicesPastItAreBlackIntoAMaskAndAnotherTable) {
  SectionHeaderWithColours info = SectionHeaderWithTable(8, 1, 1, {RGBQUAD{0x5B, 0x2B, 0x36, 0}});
  info.header.biClrUsed = 1;
  void* bits = nullptr;
  const HBITMAP section = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  constexpr BYTE kIndices = 0x35;  // 0 0 1 1 0 1 0 1, leftmost first
  *static_cast<BYTE*>(bits) = kIndices;
  const HBITMAP mask = CreateBitmap(8, 1, 1, 1, nullptr);
  const HDC from = CreateCompatibleDC(nullptr);
  const HDC to = CreateCompatibleDC(nullptr);
  const HGDIOBJ previousFrom = SelectObject(from, section);
  const HGDIOBJ previousTo = SelectObject(to, mask);
  SetBkColor(from, RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(from, 2, 0), RGB(0, 0, 0)) << "an index past the table shows black";
  EXPECT_TRUE(BitBlt(to, 0, 0, 8, 1, from, 0, 0, SRCCOPY));
  for (int x = 0; x < 8; ++x) {
    const bool pastTheTable = (kIndices >> (7 - x)) & 1;
    EXPECT_EQ(GetPixel(to, x, 0), pastTheTable ? RGB(255, 255, 255) : RGB(0, 0, 0)) << "pixel " << x;
  }

  // Into a section of the same depth whose table goes on with white, the
  // black pixels take the nearer colour, not their index's white.
  info.header.biClrUsed = 2;
  info.colours[1] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
  const HBITMAP longer = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(longer, nullptr);
  SelectObject(to, longer);
  EXPECT_TRUE(BitBlt(to, 0, 0, 8, 1, from, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(to, 2, 0), RGB(0x36, 0x2B, 0x5B)) << "a black pixel";
  EXPECT_EQ(GetPixel(to, 0, 0), RGB(0x36, 0x2B, 0x5B)) << "a pixel of the table's colour";

  SelectObject(from, previousFrom);
  SelectObject(to, previousTo);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(section);
  DeleteObject(mask);
  DeleteObject(longer);
}

// A picture's conversion as an open makes it, into whole rows of a new
// section of either row order large enough that a layer may bring its
// fresh pages in ahead of the writes, from the picture's second row to the
// section's fourth: every row lands in its place.
using LargeBlit = LeakCheckedTest;

TEST_F(LargeBlit, EveryRowOfANewSectionLandsInItsPlace) {
  constexpr int kWidth = 2048;
  constexpr int kDown = 3;
  // Each kept to the end, so that the second is not made from the first's
  // memory.
  std::vector<HBITMAP> sections;
  for (const bool topDown : {false, true}) {
    // About 34 MiB of fresh pages: glibc maps a block this large on its
    // own, and the Linux layer's pool holds none as large in this process.
    const int height = topDown ? 4401 : 4400;
    Picture source(kWidth, height);
    source.bitsPerPixel = 24;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        source.at(x, y) = static_cast<std::uint32_t>((y + 1) << 8 | x % 256);
      }
    }
    const HBITMAP picture = BitmapFromPicture(source);
    const int rows = height + kDown + 2;
    const BITMAPINFO info = SectionHeader(kWidth, topDown ? -rows : rows);
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    sections.push_back(section);
    ASSERT_TRUE(picture != nullptr && section != nullptr);
    const HDC from = CreateCompatibleDC(nullptr);
    const HDC to = CreateCompatibleDC(nullptr);
    const HGDIOBJ previousFrom = SelectObject(from, picture);
    const HGDIOBJ previousTo = SelectObject(to, section);
    EXPECT_TRUE(BitBlt(to, 0, kDown, kWidth, height - 1, from, 0, 1, SRCCOPY));
    Picture expected(kWidth, rows);
    expected.topDown = topDown;
    std::copy(source.pixels.begin() + kWidth, source.pixels.end(),
              expected.pixels.begin() + std::ptrdiff_t{kWidth} * kDown);
    EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromBitmap(section, expected, to), expected)
        << (topDown ? "top-down" : "bottom-up");
    SelectObject(from, previousFrom);
    SelectObject(to, previousTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(picture);
  }
  for (const HBITMAP section : sections) DeleteObject(section);
}

}  // namespace
}  // namespace varne::test
