#include "tests/support/picture_bitmaps.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "bmp_writer/dib_rows.h"
#include "image/dib32.h"
#include "tests/support/section_header.h"

namespace varne::test {

namespace {

// How far into a section made from or read like `picture` display row y lies.
std::size_t SectionRowOffset(const Picture& picture, int y) {
  const std::size_t memoryRow = static_cast<std::size_t>(picture.topDown ? y : picture.height - 1 - y);
  return memoryRow * BmpRowBytes(picture.width, picture.bitsPerPixel);
}

// Copies the rows of a 32-bpp section laid out as `picture` says into it.
void ReadRows(const void* bits, Picture& picture) {
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(&picture.at(0, y), static_cast<const std::uint8_t*>(bits) + SectionRowOffset(picture, y),
                4 * std::size_t(picture.width));
  }
}

// Memory rows of a Dib32 run bottom-up.
void WriteRows(const Dib32Pixels& memory, const Picture& picture) {
  for (int y = 0; y < picture.height; ++y) {
    DWORD* row = memory.words + std::size_t(picture.height - 1 - y) * picture.width;
    for (int x = 0; x < picture.width; ++x) row[x] = picture.at(x, y);
  }
}

}  // namespace

::testing::AssertionResult PicturesEqual(const char* actualText, const char* expectedText,
                                         const Picture& actual, const Picture& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return ::testing::AssertionFailure()
           << actualText << " is " << actual.width << "x" << actual.height << ", " << expectedText
           << " is " << expected.width << "x" << expected.height;
  }
  if (!SameFormat(actual, expected)) {
    return ::testing::AssertionFailure() << actualText << " is a " << ::testing::PrintToString(actual)
                                         << ", " << expectedText << " a "
                                         << ::testing::PrintToString(expected) << " of another format";
  }
  int differing = 0;
  int firstX = -1;
  int firstY = -1;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (actual.at(x, y) == expected.at(x, y)) continue;
      if (differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actualText << " and " << expectedText << " (" << actual.width << "x" << actual.height
         << ") differ in " << differing << " pixels, first at (" << firstX << ", " << firstY
         << "): " << std::hex << actual.at(firstX, firstY) << " instead of "
         << expected.at(firstX, firstY);
}

OwnedBitmap NewDib32(int width, int height) {
  const HDC screen = GetDC(nullptr);
  OwnedBitmap surface(CreateDib32(screen, width, height));
  ReleaseDC(nullptr, screen);
  return surface;
}

HBITMAP DibFromPicture(const Picture& picture) {
  const HBITMAP dib = NewDib32(picture.width, picture.height).release();
  Dib32Pixels memory{};
  if (!ReadDib32Pixels(dib, &memory)) return dib;
  GdiFlush();
  WriteRows(memory, picture);
  return dib;
}

void WritePicture(HBITMAP dib, const Picture& picture) {
  Dib32Pixels memory{};
  ASSERT_TRUE(ReadDib32Pixels(dib, &memory));
  ASSERT_EQ(memory.width, picture.width);
  ASSERT_EQ(memory.height, picture.height);
  GdiFlush();
  WriteRows(memory, picture);
}

Picture WordsFromDib(HBITMAP dib) {
  Dib32Pixels memory{};
  if (!ReadDib32Pixels(dib, &memory)) return {};
  GdiFlush();
  Picture picture(memory.width, memory.height);
  ReadRows(memory.words, picture);
  return picture;
}

Picture PictureFromDib(HBITMAP dib) {
  Picture picture = WordsFromDib(dib);
  for (std::uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFFu;
  return picture;
}

Picture PictureFromSection(HBITMAP bitmap) {
  DIBSECTION section{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof section, &section) != static_cast<int>(sizeof section) ||
      section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr)
    return {};
  Picture picture(section.dsBm.bmWidth, section.dsBm.bmHeight);
  ReadRows(section.dsBm.bmBits, picture);
  return picture;
}

Picture ViewOfSection(HBITMAP section) {
  DIBSECTION description{};
  if (GetObjectA(section, sizeof description, &description) != static_cast<int>(sizeof description)) return {};
  const BITMAP& bitmap = description.dsBm;
  if (bitmap.bmBitsPixel != 32 || description.dsBmih.biCompression != BI_RGB ||
      bitmap.bmWidthBytes != 4 * bitmap.bmWidth) {
    return {};
  }
  Picture view;
  view.width = bitmap.bmWidth;
  view.height = bitmap.bmHeight;
  view.section = static_cast<const std::uint32_t*>(bitmap.bmBits);
  return view;
}

Picture PictureFromMask(HBITMAP mask, int w, int h) {
  const OwnedBitmap surface = NewDib32(w, h);
  const HDC screen = GetDC(nullptr);
  const HDC maskContext = CreateCompatibleDC(screen);
  const HDC surfaceContext = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ previousMask = SelectObject(maskContext, mask);
  const HGDIOBJ previousSurface = SelectObject(surfaceContext, surface.get());
  // A memory context starts with background white and text black: bit 1
  // arrives white, bit 0 black.
  BitBlt(surfaceContext, 0, 0, w, h, maskContext, 0, 0, SRCCOPY);
  SelectObject(surfaceContext, previousSurface);
  SelectObject(maskContext, previousMask);
  DeleteDC(surfaceContext);
  DeleteDC(maskContext);
  Picture bits = PictureFromDib(surface.get());
  // Anything but pure white or black is neither bit and fails every comparison.
  for (std::uint32_t& bit : bits.pixels) bit = bit == 0x00FFFFFFu ? 1u : bit == 0 ? 0u : 2u;
  return bits;
}

HBITMAP BitmapFromPicture(const Picture& picture) {
  if (picture.monochrome) {
    const std::size_t rowBytes = MonochromeRowBytes(picture.width);
    std::vector<std::uint8_t> bits(rowBytes * picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) PutRowValue(&bits[y * rowBytes], 1, x, picture.at(x, y));
    }
    return CreateBitmap(picture.width, picture.height, 1, 1, bits.data());
  }
  const LONG height = picture.topDown ? -picture.height : picture.height;
  const auto bitCount = static_cast<WORD>(picture.bitsPerPixel);
  SectionHeaderWithColours info = SectionHeaderWithTable(picture.width, height, bitCount);
  std::copy_n(picture.colours.begin(), std::min<std::size_t>(picture.colours.size(), 256), info.colours);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = static_cast<std::uint8_t*>(bits) + SectionRowOffset(picture, y);
    for (int x = 0; x < picture.width; ++x) PutRowValue(row, picture.bitsPerPixel, x, picture.at(x, y));
  }
  return bitmap;
}

Picture PictureFromBitmap(HBITMAP bitmap, const Picture& like, HDC dc) {
  Picture values = like;
  values.section = nullptr;
  values.pixels.assign(std::size_t(like.width) * like.height, 0);
  if (like.monochrome) {
    for (int y = 0; y < like.height; ++y) {
      for (int x = 0; x < like.width; ++x) values.at(x, y) = GetPixel(dc, x, y) == 0x00FFFFFF;
    }
    return values;
  }
  GdiFlush();
  DIBSECTION section{};
  if (GetObjectA(bitmap, sizeof(section), &section) != static_cast<int>(sizeof(section))) return {};
  if (like.bitsPerPixel != 32) return {};
  ReadRows(section.dsBm.bmBits, values);
  return values;
}

std::vector<std::uint32_t> RandomWords(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<std::uint32_t> words(count);
  for (std::uint32_t& word : words) word = static_cast<std::uint32_t>(generator());
  return words;
}

OwnedBitmap RandomDib32(int width, int height, std::uint32_t seed) {
  OwnedBitmap surface = NewDib32(width, height);
  if (surface) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    WritePicture(surface.get(), FromBottomUpWords(width, height, RandomWords(count, seed)));
  }
  return surface;
}

BITMAP DescriptionOf(HBITMAP image) {
  BITMAP description{};
  GetObjectA(image, sizeof(description), &description);
  return description;
}

Picture RandomPicture(std::mt19937& random, int w, int h, const std::vector<std::uint32_t>& palette) {
  Picture picture(w, h);
  std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
  for (std::uint32_t& pixel : picture.pixels) pixel = palette[pick(random)];
  return picture;
}

Picture RandomColours(std::mt19937& random, int w, int h) {
  std::uniform_int_distribution<DWORD> channel(0, 255);
  Picture picture(w, h);
  for (std::uint32_t& pixel : picture.pixels) {
    pixel = (channel(random) << 16) | (channel(random) << 8) | channel(random);
  }
  return picture;
}

}  // namespace varne::test
