#include "tests/raster/test_surfaces.h"

#include <cstring>

#include "bmp_writer/dib_rows.h"
#include "tests/support/section_header.h"

namespace varne::test {

namespace {

std::uint32_t Random32(std::mt19937& random) { return static_cast<std::uint32_t>(random()); }

std::uint32_t RandomValue(std::mt19937& random, Depth depth,
                          const std::vector<COLORREF>& colours) {
  const COLORREF colour = colours[random() % colours.size()];
  switch (depth) {
    case Depth::kDib32: return SwapRedBlue(colour) | (Random32(random) & 0xFF000000);
    case Depth::kDib24: return SwapRedBlue(colour);
    case Depth::kMask: return random() % 2;
    default: return static_cast<std::uint32_t>(random() % (1u << BitsOf(depth)));
  }
}

std::uint8_t* DibRow(void* bits, const TestSurface& surface, int y) {
  const std::size_t memoryRow = surface.topDown ? y : surface.height - 1 - y;
  return static_cast<std::uint8_t*>(bits) +
         memoryRow * BmpRowBytes(surface.width, BitsOf(surface.depth));
}

}  // namespace

std::string DepthName(Depth depth) {
  switch (depth) {
    case Depth::kDib32: return "Dib32";
    case Depth::kMask: return "Mask";
    case Depth::kDib1: return "Dib1";
    case Depth::kDib4: return "Dib4";
    case Depth::kDib8: return "Dib8";
    case Depth::kDib24: return "Dib24";
  }
  return "?";
}

int BitsOf(Depth depth) {
  switch (depth) {
    case Depth::kDib32: return 32;
    case Depth::kDib24: return 24;
    case Depth::kDib8: return 8;
    case Depth::kDib4: return 4;
    default: return 1;
  }
}

std::uint32_t SwapRedBlue(std::uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

TestSurface RandomSurface(std::mt19937& random, Depth depth, int width, int height,
                          const std::vector<COLORREF>& colours) {
  TestSurface surface;
  surface.depth = depth;
  surface.width = width;
  surface.height = height;
  surface.topDown = random() % 2 == 0;
  if (depth == Depth::kDib1 || depth == Depth::kDib4 || depth == Depth::kDib8) {
    surface.palette.resize(std::size_t{1} << BitsOf(depth));
    for (RGBQUAD& entry : surface.palette) {
      const COLORREF colour = colours[random() % colours.size()];
      entry = RGBQUAD{GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    }
  }
  surface.values.resize(static_cast<std::size_t>(width) * height);
  for (std::uint32_t& value : surface.values) value = RandomValue(random, depth, colours);
  return surface;
}

HBITMAP CreatePlatformBitmap(const TestSurface& surface) {
  if (surface.depth == Depth::kMask) {
    const std::size_t rowBytes = MonochromeRowBytes(surface.width);
    std::vector<std::uint8_t> bits(rowBytes * surface.height, 0);
    for (int y = 0; y < surface.height; ++y) {
      for (int x = 0; x < surface.width; ++x) PutRowValue(&bits[y * rowBytes], 1, x, surface.At(x, y));
    }
    return CreateBitmap(surface.width, surface.height, 1, 1, bits.data());
  }
  SectionHeaderWithColours info =
      SectionHeaderWithTable(surface.width, surface.topDown ? -surface.height : surface.height,
                             static_cast<WORD>(BitsOf(surface.depth)));
  for (std::size_t i = 0; i < surface.palette.size(); ++i) info.colours[i] = surface.palette[i];
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  for (int y = 0; y < surface.height; ++y) {
    for (int x = 0; x < surface.width; ++x) {
      PutRowValue(DibRow(bits, surface, y), BitsOf(surface.depth), x, surface.At(x, y));
    }
  }
  return bitmap;
}

std::vector<std::uint32_t> ReadBack(HBITMAP bitmap, const TestSurface& like, HDC dc) {
  std::vector<std::uint32_t> values(like.values.size());
  if (like.depth == Depth::kMask) {
    for (int y = 0; y < like.height; ++y) {
      for (int x = 0; x < like.width; ++x) {
        values[static_cast<std::size_t>(y) * like.width + x] = GetPixel(dc, x, y) == 0x00FFFFFF;
      }
    }
    return values;
  }
  GdiFlush();
  DIBSECTION section{};
  if (GetObjectA(bitmap, sizeof(section), &section) != sizeof(section)) return {};
  if (like.depth != Depth::kDib32) return {};  // only 32-bpp destinations are read back
  for (int y = 0; y < like.height; ++y) {
    const std::uint8_t* row = DibRow(section.dsBm.bmBits, like, y);
    std::memcpy(&values[static_cast<std::size_t>(y) * like.width], row, 4 * static_cast<std::size_t>(like.width));
  }
  return values;
}

COLORREF ColourOf(const TestSurface& surface, std::uint32_t value) {
  switch (surface.depth) {
    case Depth::kMask: return value ? 0x00FFFFFF : 0;
    case Depth::kDib32:
    case Depth::kDib24: return SwapRedBlue(value);
    default: {
      const RGBQUAD& entry = surface.palette[value];
      return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
    }
  }
}

}  // namespace varne::test
