#include "platform/bmp/load_image.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <variant>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/read_file_bytes.h"
#include "platform/raster/gdi.h"
#include "platform/raster/surface_limits.h"

namespace {

using varne::bmp::BmpLayout;

// Room for the largest pixel data a section may hold plus generous
// headers, palette and gap; anything past it could never be decoded.
constexpr std::size_t kMaxFileBytes =
    static_cast<std::size_t>(varne::raster::kMaxSurfaceBytes) + (std::size_t{1} << 20);

// The head of a file holds its headers, masks and palette whenever its
// pixels start inside it. A file whose head is no bitmap the loader takes
// is refused without reading the rest, however large the file is.
constexpr std::size_t kHeadBytes = std::size_t{64} << 10;

// Stored rows end after the image's bytes, so nothing past them is read;
// run-length data has no such end.
std::size_t BytesDecodingUses(const BmpLayout& layout) {
  using varne::bmp::PixelEncoding;
  if (layout.encoding == PixelEncoding::kRle8 || layout.encoding == PixelEncoding::kRle4) {
    return kMaxFileBytes;
  }
  return std::min(kMaxFileBytes, layout.pixelOffset + layout.imageBytes);
}

// How much of the file, from its start, is worth reading once its head is
// known; nothing when the head already refuses it.
std::optional<std::size_t> BytesAfterHead(const std::vector<std::uint8_t>& head) {
  const auto parsed = varne::bmp::ParseBmpLayout(head);
  if (const auto* layout = std::get_if<BmpLayout>(&parsed)) return BytesDecodingUses(*layout);
  // Pixels that start past the head are the one refusal the rest can undo.
  if (std::get<varne::bmp::DecodeError>(parsed) == varne::bmp::DecodeError::kBadPixelOffset) {
    return kMaxFileBytes;
  }
  return std::nullopt;
}

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

HBITMAP CreateLoadedSection(const BmpLayout& layout, const std::vector<std::uint8_t>& file) {
  SectionInfo info;
  DescribeSection(layout, info);
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HBITMAP section = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&info),
                                           DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (section == nullptr || bits == nullptr) return section;
  // A new section is zeroed, which is what every undecoded pixel must read.
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
  auto file = varne::bmp::ReadFileBytes(name, kHeadBytes);
  if (!file) return nullptr;
  if (file->size() == kHeadBytes) {
    const auto wanted = BytesAfterHead(*file);
    if (!wanted) return nullptr;
    // Read again from the start; the file may have changed in between,
    // and what is read now is what is judged.
    file = varne::bmp::ReadFileBytes(name, *wanted);
    if (!file) return nullptr;
  }
  const auto parsed = varne::bmp::ParseBmpLayout(*file);
  const auto* layout = std::get_if<BmpLayout>(&parsed);
  if (layout == nullptr) return nullptr;
  return CreateLoadedSection(*layout, *file);
}
