// Pictures in and out of platform bitmaps: Dib32 surfaces, sections of
// every depth, monochrome masks, and what a control was handed. Each reader
// refuses what it cannot read exactly and gives an empty picture then.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/win32.h"
#include "tests/support/owned_bitmap.h"
#include "tests/support/picture.h"

namespace varne::test {

// For EXPECT_PRED_FORMAT2: equal sizes, formats and values, else where they
// first differ and how many pixels do.
::testing::AssertionResult PicturesEqual(const char* actualText, const char* expectedText,
                                         const Picture& actual, const Picture& expected);

// A Dib32 made through the screen's context, all zeros, or null.
OwnedBitmap NewDib32(int width, int height);

// A new Dib32 holding a 32-bpp `picture`.
HBITMAP DibFromPicture(const Picture& picture);

// Writes a 32-bpp `picture` of the Dib32's size into it.
void WritePicture(HBITMAP dib, const Picture& picture);

// Every word of a Dib32, all four bytes; empty for anything ReadDib32Pixels
// refuses.
Picture WordsFromDib(HBITMAP dib);

// The red, green and blue of every pixel of a Dib32; the fourth byte after
// a raster operation is the platform's, so it is cleared.
Picture PictureFromDib(HBITMAP dib);

// Every word of any 32-bpp DIB section, all four bytes as stored, its rows
// read as a bottom-up section holds them; empty when `bitmap` is not one.
Picture PictureFromSection(HBITMAP bitmap);

// A bottom-up BI_RGB 32-bpp section whose rows are exactly 4 x width bytes,
// read where it lies (Picture::section); empty for any other bitmap.
Picture ViewOfSection(HBITMAP section);

// A w x h monochrome bitmap read back as 1 (white) and 0 (black) words.
Picture PictureFromMask(HBITMAP mask, int w, int h);

// The platform bitmap holding `picture`: a CreateBitmap mask, or a section
// of its depth, table and row order with the depth's own masks. None on
// failure.
HBITMAP BitmapFromPicture(const Picture& picture);

// The values `bitmap` holds now, in the format of `like`, the picture it
// was made from. A mask is read through GetPixel, so it must be selected
// into `dc`; a 32-bpp section is read from memory in `like`'s row order.
// Empty for other depths.
Picture PictureFromBitmap(HBITMAP bitmap, const Picture& like, HDC dc);

// Full 32-bit words, fourth byte included, from a fixed seed.
std::vector<std::uint32_t> RandomWords(std::size_t count, std::uint32_t seed);

// A Dib32 whose memory holds RandomWords(width * height, seed) in order.
OwnedBitmap RandomDib32(int width, int height, std::uint32_t seed);

BITMAP DescriptionOf(HBITMAP image);

// Every pixel drawn from `palette`; a few colours give shapes with plenty
// of edges.
Picture RandomPicture(std::mt19937& random, int w, int h, const std::vector<std::uint32_t>& palette);

// Every pixel an independent random colour.
Picture RandomColours(std::mt19937& random, int w, int h);

}  // namespace varne::test
