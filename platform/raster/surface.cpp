#include "platform/raster/surface.h"

#include <cstring>
#include <optional>

#include "platform/raster/default_masks.h"
#include "platform/raster/surface_limits.h"
#include "platform/raster/surface_memory_pool.h"

namespace varne::raster {

namespace {

constexpr std::size_t kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
// BITMAPV2INFOHEADER and later carry the three masks inside the header, at
// the same offset where a plain header's colour table would start.
constexpr std::size_t kHeaderWithMasksSize = kInfoHeaderSize + 3 * sizeof(DWORD);

std::unique_ptr<std::uint8_t, FreeMemory> ZeroedMemory(std::uint64_t bytes) {
  const auto size = static_cast<std::size_t>(bytes);
  return std::unique_ptr<std::uint8_t, FreeMemory>(PixelMemory().TakeZeroed(size), FreeMemory{size});
}

bool ReadMasks(const BITMAPINFO& info, Surface& surface) {
  const BITMAPINFOHEADER& header = info.bmiHeader;
  if (header.biCompression == BI_RGB) {
    if (header.biBitCount == 16) surface.masks = kDefault16Masks;
    if (header.biBitCount == 32) surface.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    return true;
  }
  if (header.biCompression != BI_BITFIELDS) return false;
  if (header.biBitCount != 16 && header.biBitCount != 32) return false;
  if (header.biSize != kInfoHeaderSize && header.biSize < kHeaderWithMasksSize) return false;
  std::memcpy(surface.masks.data(), reinterpret_cast<const std::uint8_t*>(&info) + kInfoHeaderSize,
              sizeof(surface.masks));
  for (DWORD mask : surface.masks) {
    if (mask == 0) return false;
  }
  return true;
}

void ReadColourTable(const BITMAPINFO& info, Surface& surface) {
  const BITMAPINFOHEADER& header = info.bmiHeader;
  if (header.biBitCount > 8) return;
  const int capacity = 1 << header.biBitCount;
  int used = capacity;
  if (header.biClrUsed != 0 && header.biClrUsed < static_cast<DWORD>(capacity)) {
    used = static_cast<int>(header.biClrUsed);
  }
  // Entries past biClrUsed stay black, as the platform leaves them.
  std::memcpy(surface.colours.data(),
              reinterpret_cast<const std::uint8_t*>(&info) + header.biSize,
              static_cast<std::size_t>(used) * sizeof(RGBQUAD));
  surface.colourCount = used;
}

// The header as GetObjectA reports it afterwards: always the plain 40-byte
// header, the height positive, the image size and table size filled in, and
// 16-bpp sections described by their masks even when made as BI_RGB.
BITMAPINFOHEADER DescribedHeader(const BITMAPINFOHEADER& given, const Surface& surface,
                                 std::uint64_t bytes) {
  BITMAPINFOHEADER header = given;
  header.biSize = kInfoHeaderSize;
  header.biHeight = surface.height;
  header.biSizeImage = static_cast<DWORD>(bytes);
  header.biClrUsed = static_cast<DWORD>(surface.colourCount);
  if (header.biBitCount == 16) header.biCompression = BI_BITFIELDS;
  return header;
}

}  // namespace

void FreeMemory::operator()(std::uint8_t* memory) const { PixelMemory().Give(memory, bytes); }

std::unique_ptr<Surface> MakeMonochromeSurface(int width, int height) {
  if (!CheckedSurfaceBytes(width, height, 1)) return nullptr;
  auto surface = std::make_unique<Surface>();
  surface->kind = SurfaceKind::kMonochrome;
  surface->width = width;
  surface->height = height;
  surface->bitsPerPixel = 1;
  surface->topDown = true;
  surface->rowBytes = (static_cast<std::size_t>(width) + 63) / 64 * 8;
  surface->memory = ZeroedMemory(std::uint64_t{surface->rowBytes} * static_cast<unsigned>(height));
  if (surface->memory == nullptr) return nullptr;
  return surface;
}

std::unique_ptr<Surface> MakeDibSurface(const BITMAPINFO& info) {
  const BITMAPINFOHEADER& header = info.bmiHeader;
  if (header.biSize < kInfoHeaderSize || header.biPlanes != 1) return nullptr;
  if (header.biWidth <= 0 || header.biHeight == 0) return nullptr;
  const std::int64_t rows = header.biHeight < 0 ? -std::int64_t{header.biHeight}
                                                : std::int64_t{header.biHeight};
  const std::optional<std::uint64_t> bytes =
      CheckedSurfaceBytes(header.biWidth, rows, header.biBitCount);
  if (!bytes) return nullptr;

  auto surface = std::make_unique<Surface>();
  surface->kind = SurfaceKind::kDibSection;
  if (!ReadMasks(info, *surface)) return nullptr;
  ReadColourTable(info, *surface);
  surface->width = header.biWidth;
  surface->height = static_cast<int>(rows);
  surface->bitsPerPixel = header.biBitCount;
  surface->topDown = header.biHeight < 0;
  surface->rowBytes = static_cast<std::size_t>(*CheckedRowBytes(header.biWidth, header.biBitCount));
  surface->header = DescribedHeader(header, *surface, *bytes);
  surface->memory = ZeroedMemory(*bytes);
  if (surface->memory == nullptr) return nullptr;
  return surface;
}

}  // namespace varne::raster
