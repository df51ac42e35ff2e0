#include "tests/linux/ui/test_images.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "bmp_writer/bmp_writer.h"
#include "tests/support/section_header.h"

namespace varne::test {

std::string WriteBmp24(const std::string& name, int w, int h, const PixelFunction& pixel) {
  const std::string path = ::testing::TempDir() + "/" + name;
  const std::vector<std::uint8_t> file =
      BuildBmp({.width = w, .height = h, .pixels = PackRows(w, h, 24, false, pixel)});
  if (!WriteFileBytes(path, file)) throw std::runtime_error("cannot write " + path);
  return path;
}

HBITMAP RandomSection(int w, int h, bool topDown, std::mt19937& random, bool fourthBytes) {
  const BITMAPINFO info = SectionHeader(w, topDown ? -h : h);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  auto* words = static_cast<std::uint32_t*>(bits);
  const std::uint32_t kept = fourthBytes ? 0xFFFFFFFFu : 0x00FFFFFFu;
  for (int i = 0; i < w * h; ++i) words[i] = random() & kept;
  return bitmap;
}

std::uint32_t Gradient(int x, int y) {
  const std::uint32_t r = static_cast<std::uint32_t>(x * 7 + y) & 0xFF;
  const std::uint32_t g = static_cast<std::uint32_t>(y * 5 + 40) & 0xFF;
  const std::uint32_t b = static_cast<std::uint32_t>((x * y) / 3 + 90) & 0xFF;
  return (r << 16) | (g << 8) | b;
}

}  // namespace varne::test
