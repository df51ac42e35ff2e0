#include "tests/raster/test_surfaces.h"

namespace varne::test {

namespace {

std::uint32_t Random32(std::mt19937& random) { return static_cast<std::uint32_t>(random()); }

std::uint32_t RandomValue(std::mt19937& random, Depth depth,
                          const std::vector<COLORREF>& colours) {
  const COLORREF colour = colours[random() % colours.size()];
  switch (depth) {
    case Depth::kDib32: return PixelOf(colour) | (Random32(random) & 0xFF000000);
    case Depth::kDib24: return PixelOf(colour);
    case Depth::kMask: return random() % 2;
    default: return static_cast<std::uint32_t>(random() % (1u << BitsOf(depth)));
  }
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

Picture RandomSurface(std::mt19937& random, Depth depth, int width, int height,
                      const std::vector<COLORREF>& colours) {
  Picture surface(width, height);
  surface.bitsPerPixel = BitsOf(depth);
  surface.monochrome = depth == Depth::kMask;
  surface.topDown = random() % 2 == 0;
  if (depth == Depth::kDib1 || depth == Depth::kDib4 || depth == Depth::kDib8) {
    surface.colours.resize(std::size_t{1} << BitsOf(depth));
    for (RGBQUAD& entry : surface.colours) {
      const COLORREF colour = colours[random() % colours.size()];
      entry = RGBQUAD{GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    }
  }
  for (std::uint32_t& value : surface.pixels) value = RandomValue(random, depth, colours);
  return surface;
}

}  // namespace varne::test
