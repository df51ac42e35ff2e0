#include "bench/synthetic_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/pixel/pixel_effects.h"
#include "image/dib32.h"

namespace varne::bench {

namespace {

// A few bits of hash noise per pixel, the same on every run.
std::uint32_t Noise(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

// Shading that varies over a few hundred pixels, by row and by column, so
// a separable table per channel is enough.
std::vector<int> Wave(int length, double period, double phase, int amplitude) {
  std::vector<int> wave(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    wave[static_cast<std::size_t>(i)] =
        static_cast<int>(amplitude * std::sin(6.283185307179586 * i / period + phase));
  }
  return wave;
}

std::uint32_t Channel(int value) { return static_cast<std::uint32_t>(std::clamp(value, 0, 255)); }

}  // namespace

std::vector<std::uint32_t> SyntheticPixels(int width, int height) {
  const std::vector<int> redX = Wave(width, 911.0, 0.3, 70);
  const std::vector<int> redY = Wave(height, 677.0, 1.1, 50);
  const std::vector<int> greenX = Wave(width, 523.0, 2.0, 60);
  const std::vector<int> greenY = Wave(height, 389.0, 0.7, 60);
  const std::vector<int> blueX = Wave(width, 1301.0, 4.0, 50);
  const std::vector<int> blueY = Wave(height, 997.0, 2.5, 70);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, ++i) {
      const std::uint32_t noise = Noise(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
      const int grain = static_cast<int>(noise & 15) - 8;
      const std::uint32_t r = Channel(128 + redX[x] + redY[y] + grain);
      const std::uint32_t g = Channel(128 + greenX[x] + greenY[y] + grain);
      const std::uint32_t b = Channel(120 + blueX[x] + blueY[y] + grain);
      pixels[i] = (r << 16) | (g << 8) | b;
    }
  }
  return pixels;
}

HBITMAP SyntheticDib32(int width, int height) {
  const HDC screen = GetDC(nullptr);
  const HBITMAP image = CreateDib32(screen, width, height);
  ReleaseDC(nullptr, screen);
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) {
    DeleteObject(image);
    return nullptr;
  }
  const std::vector<std::uint32_t> source = SyntheticPixels(width, height);
  std::memcpy(pixels.words, source.data(), source.size() * sizeof(std::uint32_t));
  return image;
}

HBITMAP SyntheticShapes(int width, int height) {
  const HBITMAP image = SyntheticDib32(width, height);
  if (image != nullptr) ThresholdDib(image, 128);
  return image;
}

}  // namespace varne::bench
