#include "tests/raster/blit_model.h"

#include <gtest/gtest.h>

namespace varne::test {

namespace {

std::uint32_t ModelPattern(const TestSurface& destination, COLORREF brush) {
  if (destination.depth == Depth::kMask) return brush == 0x00FFFFFF ? 1 : 0;
  return SwapRedBlue(brush);
}

std::uint32_t ModelSource(const TestSurface& source, std::uint32_t value,
                          const TestSurface& destination, const BlitCall& call) {
  if (destination.depth == Depth::kMask) {
    if (source.depth == Depth::kMask) return value;
    return ColourOf(source, value) == (call.sourceColours.background & 0x00FFFFFF) ? 1 : 0;
  }
  switch (source.depth) {
    case Depth::kDib32: return value;
    case Depth::kMask:
      return SwapRedBlue(value ? call.destinationColours.background : call.destinationColours.text);
    default: return SwapRedBlue(ColourOf(source, value));
  }
}

bool Inside(int x, int y, int width, int height) {
  return x >= 0 && y >= 0 && x < width && y < height;
}

}  // namespace

std::uint32_t ModelRop(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t result = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const unsigned row = ((p >> bit) & 1) * 4 + ((s >> bit) & 1) * 2 + ((d >> bit) & 1);
    result |= static_cast<std::uint32_t>((index >> row) & 1) << bit;
  }
  return result;
}

bool ModelUsesSource(std::uint8_t index) {
  for (unsigned row = 0; row < 8; ++row) {
    if (((index >> row) & 1) != ((index >> (row ^ 2)) & 1)) return true;
  }
  return false;
}

TestSurface ModelBlit(const TestSurface& destination, const TestSurface& source,
                      const BlitCall& call) {
  const auto index = static_cast<std::uint8_t>(call.rop >> 16);
  const bool usesSource = ModelUsesSource(index);
  const std::uint32_t valueMask = destination.depth == Depth::kMask ? 1 : 0xFFFFFFFF;
  const std::uint32_t pattern = ModelPattern(destination, call.brush);
  TestSurface result = destination;
  for (int y = call.y; y < call.y + call.height; ++y) {
    for (int x = call.x; x < call.x + call.width; ++x) {
      if (!Inside(x, y, destination.width, destination.height)) continue;
      const int sx = call.sourceX + (x - call.x);
      const int sy = call.sourceY + (y - call.y);
      std::uint32_t s = 0;
      if (usesSource) {
        if (!Inside(sx, sy, source.width, source.height)) continue;
        s = ModelSource(source, source.At(sx, sy), destination, call);
      }
      result.At(x, y) = ModelRop(index, pattern, s, destination.At(x, y)) & valueMask;
    }
  }
  return result;
}

std::vector<std::uint32_t> PlatformBlit(const TestSurface& destination, const TestSurface& source,
                                        const BlitCall& call) {
  HDC screen = GetDC(nullptr);
  HDC destinationDc = CreateCompatibleDC(screen);
  HDC sourceDc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HBITMAP destinationBitmap = CreatePlatformBitmap(destination);
  HBITMAP sourceBitmap = CreatePlatformBitmap(source);
  HBRUSH brush = CreateSolidBrush(call.brush);
  EXPECT_NE(destinationBitmap, nullptr);
  EXPECT_NE(sourceBitmap, nullptr);

  HGDIOBJ oldDestination = SelectObject(destinationDc, destinationBitmap);
  HGDIOBJ oldSource = SelectObject(sourceDc, sourceBitmap);
  HGDIOBJ oldBrush = SelectObject(destinationDc, brush);
  SetBkColor(destinationDc, call.destinationColours.background);
  SetTextColor(destinationDc, call.destinationColours.text);
  SetBkColor(sourceDc, call.sourceColours.background);
  SetTextColor(sourceDc, call.sourceColours.text);
  EXPECT_TRUE(BitBlt(destinationDc, call.x, call.y, call.width, call.height, sourceDc,
                     call.sourceX, call.sourceY, call.rop));
  std::vector<std::uint32_t> values = ReadBack(destinationBitmap, destination, destinationDc);

  SelectObject(destinationDc, oldBrush);
  SelectObject(destinationDc, oldDestination);
  SelectObject(sourceDc, oldSource);
  DeleteObject(brush);
  DeleteObject(destinationBitmap);
  DeleteObject(sourceBitmap);
  DeleteDC(destinationDc);
  DeleteDC(sourceDc);
  return values;
}

}  // namespace varne::test
