#include "tests/linux/hardening/large_picture.h"

#include "tests/support/section_header.h"

namespace varne::test {

DWORD Hashed(std::int64_t x, std::int64_t y, std::uint32_t seed) {
  std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15u ^
                    static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Fu ^ seed;
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9u;
  h ^= h >> 29;
  return static_cast<DWORD>(h >> 16);
}

HBITMAP MakeLargeDib(int width, int height, const PixelAt& pixel) {
  void* bits = nullptr;
  const HBITMAP section = CreateSection32(width, height, &bits);
  if (section == nullptr) return nullptr;
  auto* words = static_cast<DWORD*>(bits);
  for (std::int64_t y = 0; y < height; ++y) {
    DWORD* row = words + static_cast<std::size_t>((height - 1 - y) * width);
    for (std::int64_t x = 0; x < width; ++x) row[x] = pixel(x, y);
  }
  return section;
}

SectionWords WordsOfSection(HBITMAP section) {
  DIBSECTION description{};
  if (GetObjectA(section, sizeof description, &description) != sizeof description) return {};
  const BITMAP& bitmap = description.dsBm;
  if (bitmap.bmBitsPixel != 32 || description.dsBmih.biCompression != BI_RGB ||
      bitmap.bmWidthBytes != 4 * bitmap.bmWidth) {
    return {};
  }
  return {static_cast<const DWORD*>(bitmap.bmBits), bitmap.bmWidth, bitmap.bmHeight};
}

}  // namespace varne::test
