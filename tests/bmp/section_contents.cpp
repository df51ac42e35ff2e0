#include "tests/bmp/section_contents.h"

#include <cstring>

namespace varne::test {

OwnedBitmap LoadBmpFile(const std::string& path) {
  return OwnedBitmap(static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

std::optional<DIBSECTION> DescribeSection(HBITMAP bitmap) {
  DIBSECTION section;
  std::memset(&section, 0, sizeof section);
  if (GetObjectA(bitmap, sizeof section, &section) != static_cast<int>(sizeof section)) {
    return std::nullopt;
  }
  return section;
}

std::uint32_t StoredValue(const DIBSECTION& section, int x, int y) {
  const int bits = section.dsBm.bmBitsPixel;
  const int memoryRow = section.dsBm.bmHeight - 1 - y;
  const auto* row = static_cast<const std::uint8_t*>(section.dsBm.bmBits) +
                    static_cast<std::size_t>(memoryRow) * section.dsBm.bmWidthBytes;
  if (bits < 8) {
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bits) - 1);
  }
  std::uint32_t value = 0;
  const int bytes = bits / 8;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(row[x * bytes + i]) << (8 * i);
  return value;
}

std::vector<std::uint32_t> DrawnColours(HBITMAP bitmap) {
  BITMAP description;
  if (GetObjectA(bitmap, sizeof description, &description) == 0) return {};
  const int width = description.bmWidth;
  const int height = description.bmHeight;

  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (target == nullptr) return {};

  const HDC sourceDc = CreateCompatibleDC(nullptr);
  const HDC targetDc = CreateCompatibleDC(nullptr);
  const HGDIOBJ oldSource = SelectObject(sourceDc, bitmap);
  const HGDIOBJ oldTarget = SelectObject(targetDc, target);
  BitBlt(targetDc, 0, 0, width, height, sourceDc, 0, 0, SRCCOPY);
  GdiFlush();
  SelectObject(sourceDc, oldSource);
  SelectObject(targetDc, oldTarget);
  DeleteDC(sourceDc);
  DeleteDC(targetDc);

  std::vector<std::uint32_t> colours(static_cast<std::size_t>(width) * height);
  const auto* words = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      colours[static_cast<std::size_t>(y) * width + x] =
          words[static_cast<std::size_t>(height - 1 - y) * width + x] & 0x00FFFFFF;
    }
  }
  DeleteObject(target);
  return colours;
}

}  // namespace varne::test
