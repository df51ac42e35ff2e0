#include "tests/bmp/section_contents.h"

#include <cstring>

#include "bmp_writer/dib_rows.h"
#include "tests/support/section_header.h"

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
  const int memoryRow = section.dsBm.bmHeight - 1 - y;
  const auto* row = static_cast<const std::uint8_t*>(section.dsBm.bmBits) +
                    static_cast<std::size_t>(memoryRow) * section.dsBm.bmWidthBytes;
  return RowValue(row, section.dsBm.bmBitsPixel, x);
}

Picture DrawnColours(HBITMAP bitmap) {
  BITMAP description;
  if (GetObjectA(bitmap, sizeof description, &description) == 0) return {};
  const int width = description.bmWidth;
  const int height = description.bmHeight;

  void* bits = nullptr;
  const HBITMAP target = CreateSection32(width, height, &bits);
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

  Picture colours(width, height);
  const auto* words = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      colours.at(x, y) = words[static_cast<std::size_t>(height - 1 - y) * width + x] & 0x00FFFFFF;
    }
  }
  DeleteObject(target);
  return colours;
}

}  // namespace varne::test
