// Test pictures: plain pixel grids in display order (row 0 at the top),
// moved in and out of Dib32 surfaces, masks and shown sections, so that
// effects and the dialog can be checked against models written over the grid.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

#include "platform/win32.h"
#include "tests/support/owned_bitmap.h"

namespace varne::test {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;  // display order; 0x00RRGGBB but from PictureFromSection

  Picture() = default;
  Picture(int w, int h, DWORD fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  DWORD& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  DWORD at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  friend bool operator==(const Picture&, const Picture&) = default;
};

// For EXPECT_PRED_FORMAT2: equal sizes and pixels, else where they first
// differ and how many pixels do.
::testing::AssertionResult PicturesEqual(const char* actualText, const char* expectedText,
                                         const Picture& actual, const Picture& expected);
void PrintTo(const Picture& picture, std::ostream* out);

// A new Dib32 holding `picture`, fourth bytes 0.
HBITMAP DibFromPicture(const Picture& picture);

// The red, green and blue of every pixel of a Dib32; the fourth byte after
// a raster operation is the platform's, so it is cleared.
Picture PictureFromDib(HBITMAP dib);

// Every word of a 32-bpp DIB section, top-down or bottom-up, all four bytes
// as stored; empty when `bitmap` is not one.
Picture PictureFromSection(HBITMAP bitmap);

// A w x h monochrome bitmap read back as 1 (white) and 0 (black) words.
Picture PictureFromMask(HBITMAP mask, int w, int h);

// Every pixel drawn from `palette`; a few colours give shapes with plenty
// of edges.
Picture RandomPicture(std::mt19937& random, int w, int h, const std::vector<DWORD>& palette);

// Every pixel an independent random colour.
Picture RandomColours(std::mt19937& random, int w, int h);

// Pixel words and COLORREFs in one notation for expectations.
constexpr DWORD PixelOf(COLORREF colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace varne::test
