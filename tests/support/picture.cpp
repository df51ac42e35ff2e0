#include "tests/support/picture.h"

#include <algorithm>

#include "image/dib32.h"

namespace varne::test {

namespace {

HBITMAP NewDib(int w, int h) {
  const HDC screen = GetDC(nullptr);
  const HBITMAP dib = CreateDib32(screen, w, h);
  ReleaseDC(nullptr, screen);
  return dib;
}

}  // namespace

::testing::AssertionResult PicturesEqual(const char* actualText, const char* expectedText,
                                         const Picture& actual, const Picture& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return ::testing::AssertionFailure()
           << actualText << " is " << actual.width << "x" << actual.height << ", " << expectedText
           << " is " << expected.width << "x" << expected.height;
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

void PrintTo(const Picture& picture, std::ostream* out) {
  *out << picture.width << "x" << picture.height << " picture";
}

HBITMAP DibFromPicture(const Picture& picture) {
  const HBITMAP dib = NewDib(picture.width, picture.height);
  Dib32Pixels memory{};
  if (!ReadDib32Pixels(dib, &memory)) return dib;
  GdiFlush();
  // Memory rows run bottom-up.
  for (int y = 0; y < picture.height; ++y) {
    DWORD* row = memory.words + std::size_t(picture.height - 1 - y) * picture.width;
    for (int x = 0; x < picture.width; ++x) row[x] = picture.at(x, y);
  }
  return dib;
}

Picture PictureFromDib(HBITMAP dib) {
  Dib32Pixels memory{};
  if (!ReadDib32Pixels(dib, &memory)) return {};
  GdiFlush();
  Picture picture(memory.width, memory.height);
  for (int y = 0; y < picture.height; ++y) {
    const DWORD* row = memory.words + std::size_t(picture.height - 1 - y) * picture.width;
    for (int x = 0; x < picture.width; ++x) picture.at(x, y) = row[x] & 0x00FFFFFFu;
  }
  return picture;
}

Picture PictureFromSection(HBITMAP bitmap) {
  DIBSECTION section{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof section, &section) != sizeof section ||
      section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr)
    return {};
  Picture picture(section.dsBm.bmWidth, section.dsBm.bmHeight);
  const bool topDown = section.dsBmih.biHeight < 0;
  const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
  for (int y = 0; y < picture.height; ++y) {
    const int row = topDown ? y : picture.height - 1 - y;
    const auto* words = reinterpret_cast<const DWORD*>(bits + std::size_t(row) * section.dsBm.bmWidthBytes);
    std::copy(words, words + picture.width, picture.pixels.begin() + std::size_t(y) * picture.width);
  }
  return picture;
}

Picture PictureFromMask(HBITMAP mask, int w, int h) {
  OwnedBitmap surface(NewDib(w, h));
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
  for (DWORD& bit : bits.pixels) bit = bit == 0x00FFFFFFu ? 1u : bit == 0 ? 0u : 2u;
  return bits;
}

Picture RandomPicture(std::mt19937& random, int w, int h, const std::vector<DWORD>& palette) {
  Picture picture(w, h);
  std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
  for (DWORD& pixel : picture.pixels) pixel = palette[pick(random)];
  return picture;
}

Picture RandomColours(std::mt19937& random, int w, int h) {
  std::uniform_int_distribution<DWORD> channel(0, 255);
  Picture picture(w, h);
  for (DWORD& pixel : picture.pixels) {
    pixel = (channel(random) << 16) | (channel(random) << 8) | channel(random);
  }
  return picture;
}

}  // namespace varne::test
