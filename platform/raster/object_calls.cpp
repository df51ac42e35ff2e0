// Creating, describing and deleting bitmaps and brushes.
#include <cstring>

#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"
#include "platform/raster/pixel_format.h"

using varne::raster::Brush;
using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

// Rows of a device-dependent bitmap, as CreateBitmap takes them and
// GetObjectA reports them, are padded to 16 bits, not 32.
LONG DeviceRowBytes(int width, int bitsPerPixel) {
  return static_cast<LONG>((static_cast<std::int64_t>(width) * bitsPerPixel + 15) / 16 * 2);
}

void LoadMonochromeBits(Surface& surface, const void* bits) {
  const auto* input = static_cast<const std::uint8_t*>(bits);
  const auto inputRowBytes = static_cast<std::size_t>(DeviceRowBytes(surface.width, 1));
  for (int y = 0; y < surface.height; ++y) {
    const std::uint8_t* row = input + static_cast<std::size_t>(y) * inputRowBytes;
    std::uint8_t* target = surface.Row(y);
    for (int x = 0; x < surface.width; ++x) {
      const unsigned bit = (row[x / 8] >> (7 - x % 8)) & 1;
      varne::raster::WriteRaw(surface, target, x, bit);
    }
  }
}

BITMAP DescribeBitmap(const Surface& surface) {
  BITMAP record{};
  record.bmType = 0;
  record.bmWidth = surface.width;
  record.bmHeight = surface.height;
  record.bmPlanes = 1;
  record.bmBitsPixel = static_cast<WORD>(surface.bitsPerPixel);
  if (surface.IsMonochrome()) {
    record.bmWidthBytes = DeviceRowBytes(surface.width, 1);
    record.bmBits = nullptr;  // a device bitmap's memory is not the caller's
  } else {
    record.bmWidthBytes = static_cast<LONG>(surface.rowBytes);
    record.bmBits = surface.memory.get();
  }
  return record;
}

DIBSECTION DescribeSection(const Surface& surface) {
  DIBSECTION record{};
  record.dsBm = DescribeBitmap(surface);
  record.dsBmih = surface.header;
  if (surface.header.biCompression == BI_BITFIELDS) {
    for (int i = 0; i < 3; ++i) record.dsBitfields[i] = surface.masks[static_cast<std::size_t>(i)];
  }
  record.dshSection = nullptr;
  record.dsOffset = 0;
  return record;
}

int CopyOut(const void* record, int size, LPVOID out) {
  std::memcpy(out, record, static_cast<std::size_t>(size));
  return size;
}

int DescribeSurface(const Surface& surface, int size, LPVOID out) {
  // A DIBSECTION only for a DIB section and only when the whole record
  // fits; otherwise the leading BITMAP, as 64-bit Windows answers.
  if (out == nullptr) return static_cast<int>(sizeof(BITMAP));
  if (!surface.IsMonochrome() && size >= static_cast<int>(sizeof(DIBSECTION))) {
    const DIBSECTION record = DescribeSection(surface);
    return CopyOut(&record, sizeof(record), out);
  }
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  const BITMAP record = DescribeBitmap(surface);
  return CopyOut(&record, sizeof(record), out);
}

}  // namespace

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || section != nullptr) return nullptr;
  if (dc != nullptr && Objects().Find<DeviceContext>(dc) == nullptr) return nullptr;
  // Palette-relative colour tables need a logical palette, which the layer
  // does not have.
  if (usage != DIB_RGB_COLORS) return nullptr;
  std::unique_ptr<Surface> surface = varne::raster::MakeDibSurface(*info);
  if (surface == nullptr) return nullptr;
  void* memory = surface->memory.get();
  HBITMAP handle = static_cast<HBITMAP>(Objects().Insert(std::move(*surface)));
  if (bits != nullptr) *bits = memory;
  return handle;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0) return nullptr;
  // An empty bitmap is the stock 1x1 one, as on the platform.
  if (width == 0 || height == 0) return varne::raster::StockBitmap();
  if (planes != 1 || bitsPerPixel != 1) return nullptr;
  std::unique_ptr<Surface> surface = varne::raster::MakeMonochromeSurface(width, height);
  if (surface == nullptr) return nullptr;
  if (bits != nullptr) LoadMonochromeBits(*surface, bits);
  return static_cast<HBITMAP>(Objects().Insert(std::move(*surface)));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(Objects().Insert(Brush{colour & 0x00FFFFFF, 0}));
}

BOOL DeleteObject(HGDIOBJ object) {
  varne::raster::GdiObject* found = Objects().Find(object);
  if (found == nullptr) return FALSE;
  // The platform accepts deleting a stock object and keeps it.
  if (Objects().IsStock(object)) return TRUE;
  if (const Surface* surface = std::get_if<Surface>(found); surface && surface->selections > 0) {
    return FALSE;
  }
  if (const Brush* brush = std::get_if<Brush>(found); brush && brush->selections > 0) {
    return FALSE;
  }
  if (std::holds_alternative<DeviceContext>(*found)) return FALSE;
  return Objects().Erase(object) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ object) {
  const varne::raster::GdiObject* found = Objects().Find(object);
  if (found == nullptr) return 0;
  if (const DeviceContext* context = std::get_if<DeviceContext>(found)) {
    return context->screen ? OBJ_DC : OBJ_MEMDC;
  }
  return std::holds_alternative<Surface>(*found) ? OBJ_BITMAP : OBJ_BRUSH;
}

int GetObjectA(HANDLE object, int size, LPVOID out) {
  if (const Surface* surface = Objects().Find<Surface>(object)) {
    return DescribeSurface(*surface, size, out);
  }
  return 0;
}
