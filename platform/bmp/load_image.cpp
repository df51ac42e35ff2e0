#include "platform/bmp/load_image.h"

#include <algorithm>
#include <cstring>
#include <variant>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/load_limits.h"
#include "platform/bmp/opened_file.h"
#include "platform/raster/gdi.h"
#include "platform/raster/surface_limits.h"

namespace {

using varne::bmp::BmpLayout;

using varne::bmp::kHeadBytes;
using varne::bmp::kMaxLoadedFileBytes;

// A BITMAPINFO with room for the largest colour table (or the three masks
// that take its place at 16 bpp).
struct SectionInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

void DescribeSection(const BmpLayout& layout, SectionInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = layout.width;
  info.header.biHeight = layout.height;  // positive: bottom-up, whatever the file was
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(layout.bitCount);
  info.header.biCompression = layout.sectionCompression;
  if (layout.sectionCompression == BI_BITFIELDS) {
    std::memcpy(info.colours, layout.masks.data(), sizeof(DWORD) * layout.masks.size());
  }
  // The full table, so an index past the file's palette reads black.
  info.header.biClrUsed = static_cast<DWORD>(layout.colours.size());
  std::copy(layout.colours.begin(), layout.colours.end(), info.colours);
}

HBITMAP CreateLoadedSection(const BmpLayout& layout, varne::bmp::OpenedFile& file) {
  SectionInfo info;
  DescribeSection(layout, info);
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HBITMAP section = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&info),
                                           DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (section == nullptr || bits == nullptr) return section;
  // A new section is zeroed, which is what every undecoded pixel must read;
  // the pixel data is read from the file straight into it.
  varne::bmp::DecodeBmpPixels(layout, file,
                              {static_cast<std::uint8_t*>(bits), layout.imageBytes});
  GdiFlush();
  return section;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height,
                  UINT flags) {
  // Only what the system asks for: a bitmap file at its own size. Resources
  // (no file flag), icons, cursors and scaling are not provided by the layer.
  (void)instance;
  if (type != IMAGE_BITMAP || (flags & LR_LOADFROMFILE) == 0 || name == nullptr ||
      width != 0 || height != 0) {
    return nullptr;
  }
  const auto file = varne::bmp::OpenedFile::Open(name, kMaxLoadedFileBytes);
  if (!file) return nullptr;
  std::vector<std::uint8_t> head(std::min(file->size(), kHeadBytes));
  head.resize(file->ReadAt(0, head));
  // A head cut short means the file shrank since it was opened: it ends
  // there, whatever its size was.
  const std::size_t fileSize = head.size() < kHeadBytes ? head.size() : file->size();
  const auto parsed = varne::bmp::ParseBmpLayout(head, fileSize);
  const auto* layout = std::get_if<BmpLayout>(&parsed);
  if (layout == nullptr) return nullptr;
  return CreateLoadedSection(*layout, *file);
}
