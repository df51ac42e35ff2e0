// DrawStateA, disabled bitmaps only: the embossed look the platform gives a
// greyed-out image. Measured on Windows: every pixel of the image that is
// not exactly white is ink; the ink is painted in the 3D highlight colour
// one pixel down and to the right, then in the 3D shadow colour in place
// over it; every other destination pixel keeps its value.
#include <cstring>
#include <memory>

#include "platform/raster/blit.h"
#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"
#include "platform/raster/pixel_format.h"
#include "platform/raster/rop_rows.h"
#include "platform/raster/source_rows.h"

using varne::raster::BlitArea;
using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr std::uint8_t kPsdpxax = 0xB8;  // D where S is set, P where it is clear

// The image as a mask, 1 where it is white: the colour -> mono conversion
// with a white background, which is what "not exactly white" means.
std::unique_ptr<Surface> InkOf(const Surface& image, int width, int height) {
  std::unique_ptr<Surface> ink = varne::raster::MakeMonochromeSurface(width, height);
  if (ink == nullptr) return nullptr;
  varne::raster::SourceRows rows(image, kWhite, *ink, kWhite, 0, false);
  for (int y = 0; y < height; ++y) {
    std::memcpy(ink->Row(y), rows.Bits(y, 0, width, 0), ink->rowBytes);
  }
  return ink;
}

void PaintWhereClear(Surface& target, const Surface& mask, std::int64_t x, std::int64_t y,
                     COLORREF colour) {
  BlitArea area{x, y, mask.width, mask.height, 0, 0};
  if (!varne::raster::ClipBlit(area, target, &mask)) return;
  const std::uint32_t raw = varne::raster::RawOfColour(target, colour);
  for (std::int64_t row = 0; row < area.height; ++row) {
    const std::uint8_t* bits = mask.Row(area.sourceY + row);
    std::uint8_t* line = target.Row(area.y + row);
    if (!target.IsMonochrome() && target.bitsPerPixel == 32) {
      varne::raster::CombineExpandedRow32(
          kPsdpxax, raw, reinterpret_cast<const std::uint64_t*>(bits),
          static_cast<std::size_t>(area.sourceX), 0xFFFFFFFF, 0,
          reinterpret_cast<std::uint32_t*>(line) + area.x, static_cast<std::size_t>(area.width));
      continue;
    }
    for (std::int64_t i = 0; i < area.width; ++i) {
      if (varne::raster::ReadRaw(mask, bits, static_cast<int>(area.sourceX + i)) == 0) {
        varne::raster::WriteRaw(target, line, static_cast<int>(area.x + i), raw);
      }
    }
  }
}

int Fit(int requested, int available) {
  return requested <= 0 || requested > available ? available : requested;
}

}  // namespace

BOOL DrawStateA(HDC dc, HBRUSH, DRAWSTATEPROC, LPARAM data, WPARAM, int x, int y, int width,
                int height, UINT flags) {
  // The system draws disabled bitmaps only; text, icons and callbacks are
  // not part of this layer.
  if (flags != (DST_BITMAP | DSS_DISABLED)) return FALSE;
  const DeviceContext* context = Objects().Find<DeviceContext>(dc);
  if (context == nullptr) return FALSE;
  Surface* target = Objects().Find<Surface>(context->bitmap);
  const Surface* image = Objects().Find<Surface>(reinterpret_cast<HGDIOBJ>(data));
  if (target == nullptr || image == nullptr) return FALSE;
  const std::unique_ptr<Surface> ink =
      InkOf(*image, Fit(width, image->width), Fit(height, image->height));
  if (ink == nullptr) return FALSE;
  PaintWhereClear(*target, *ink, std::int64_t{x} + 1, std::int64_t{y} + 1,
                  GetSysColor(COLOR_3DHILIGHT));
  PaintWhereClear(*target, *ink, x, y, GetSysColor(COLOR_3DSHADOW));
  return TRUE;
}
