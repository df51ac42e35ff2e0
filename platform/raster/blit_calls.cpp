// BitBlt, PatBlt and GetPixel at the Win32 boundary: handles are resolved
// and refused here, the work is the blit skeleton's.
#include <utility>

#include "platform/raster/blit_skeleton.h"
#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"
#include "platform/raster/pixel_format.h"
#include "platform/raster/rop3.h"

using varne::raster::BlitArea;
using varne::raster::BlitOperands;
using varne::raster::Brush;
using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

struct Target {
  DeviceContext* context = nullptr;
  Surface* surface = nullptr;
};

// The DC and the bitmap selected into it; the screen's DC has none.
Target Resolve(HDC dc) {
  Target target;
  target.context = Objects().Find<DeviceContext>(dc);
  if (target.context != nullptr) target.surface = Objects().Find<Surface>(target.context->bitmap);
  return target;
}

COLORREF BrushColour(const DeviceContext& context) {
  const Brush* brush = Objects().Find<Brush>(context.brush);
  return brush ? brush->colour : 0x00FFFFFF;
}

// A negative extent names the rectangle on the other side of the origin.
void Normalise(std::int64_t& position, std::int64_t& extent, std::int64_t* sourcePosition) {
  if (extent >= 0) return;
  position += extent;
  if (sourcePosition != nullptr) *sourcePosition += extent;
  extent = -extent;
}

BOOL Transfer(HDC destination, BlitArea area, HDC source, DWORD rop) {
  const Target target = Resolve(destination);
  if (target.surface == nullptr) return FALSE;
  const std::uint8_t index = varne::raster::RopIndex(rop);
  Target from;
  if (varne::raster::RopUsesSource(index)) {
    from = Resolve(source);
    if (from.surface == nullptr) return FALSE;
  }
  Normalise(area.x, area.width, from.surface ? &area.sourceX : nullptr);
  Normalise(area.y, area.height, from.surface ? &area.sourceY : nullptr);
  const Surface& surface = *target.surface;
  BlitOperands operands;
  operands.pattern = varne::raster::RawOfColour(surface, BrushColour(*target.context));
  operands.one = varne::raster::RawOfColour(surface, target.context->background);
  operands.zero = varne::raster::RawOfColour(surface, target.context->text);
  if (from.context != nullptr) operands.sourceBackground = from.context->background;
  varne::raster::Blit(*target.surface, area, from.surface, operands, index);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop) {
  return Transfer(destination, BlitArea{x, y, width, height, sourceX, sourceY}, source, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  if (varne::raster::RopUsesSource(varne::raster::RopIndex(rop))) return FALSE;
  return Transfer(dc, BlitArea{x, y, width, height, 0, 0}, nullptr, rop);
}

COLORREF GetPixel(HDC dc, int x, int y) {
  const Target target = Resolve(dc);
  if (target.surface == nullptr) return CLR_INVALID;
  const Surface& surface = *target.surface;
  if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return CLR_INVALID;
  return varne::raster::ColourOfRaw(surface, varne::raster::ReadRaw(surface, surface.Row(y), x));
}

// Drawing is synchronous here: nothing is ever batched.
BOOL GdiFlush(void) { return TRUE; }
