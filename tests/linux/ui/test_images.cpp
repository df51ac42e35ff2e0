#include "tests/linux/ui/test_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace varne::test {
namespace {

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

std::string WriteBmp24(const std::string& name, int w, int h, const PixelFunction& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> file;
  const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * h);
  file.push_back('B');
  file.push_back('M');
  PutLittleEndian(file, 54 + imageSize, 4);
  PutLittleEndian(file, 0, 4);
  PutLittleEndian(file, 54, 4);
  PutLittleEndian(file, 40, 4);
  PutLittleEndian(file, static_cast<std::uint32_t>(w), 4);
  PutLittleEndian(file, static_cast<std::uint32_t>(h), 4);
  PutLittleEndian(file, 1, 2);
  PutLittleEndian(file, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(file, i == 1 ? imageSize : 0, 4);
  for (int row = h - 1; row >= 0; --row) {
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = pixel(x, row);
      file.push_back(static_cast<unsigned char>(p));
      file.push_back(static_cast<unsigned char>(p >> 8));
      file.push_back(static_cast<unsigned char>(p >> 16));
    }
    for (int pad = w * 3; pad < stride; ++pad) file.push_back(0);
  }
  const std::string path = ::testing::TempDir() + "/" + name;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot write " + path);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  return path;
}

HBITMAP RandomSection(int w, int h, bool topDown, std::mt19937& random) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = topDown ? -h : h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  auto* words = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) words[i] = random();
  return bitmap;
}

Pixels ReadPixels(HBITMAP bitmap) {
  DIBSECTION section{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof section, &section) != sizeof section ||
      section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr)
    return {};
  Pixels pixels{section.dsBm.bmWidth, section.dsBm.bmHeight, {}};
  const bool topDown = section.dsBmih.biHeight < 0;
  const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
  for (int y = 0; y < pixels.height; ++y) {
    const int row = topDown ? y : pixels.height - 1 - y;
    const auto* words = reinterpret_cast<const std::uint32_t*>(bits + row * section.dsBm.bmWidthBytes);
    pixels.words.insert(pixels.words.end(), words, words + pixels.width);
  }
  return pixels;
}

std::uint32_t Gradient(int x, int y) {
  const std::uint32_t r = static_cast<std::uint32_t>(x * 7 + y) & 0xFF;
  const std::uint32_t g = static_cast<std::uint32_t>(y * 5 + 40) & 0xFF;
  const std::uint32_t b = static_cast<std::uint32_t>((x * y) / 3 + 90) & 0xFF;
  return (r << 16) | (g << 8) | b;
}

}  // namespace varne::test
