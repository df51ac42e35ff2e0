// DrawStateA, disabled bitmaps only: the embossed look the platform gives a
// greyed-out image. Measured on Windows: every pixel of the image that is
// not exactly white is ink; the ink is painted in the 3D highlight colour
// one pixel down and to the right, then in the 3D shadow colour in place
// over it; every other destination pixel keeps its value.
#include <cstring>
#include <memory>

#include "platform/raster/blit_skeleton.h"
#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"
#include "platform/raster/pixel_format.h"
#include "platform/raster/rop3.h"
#include "platform/raster/source_rows.h"

using varne::raster::BlitArea;
using varne::raster::BlitOperands;
using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;

// The image as a mask, 1 where it is white: the colour -> mono conversion
// with a white background, which is what "not exactly white" means.
std::unique_ptr<Surface> InkOf(const Surface& image, int width, int height) {
  std::unique_ptr<Surface> ink = varne::raster::MakeMonochromeSurface(width, height);
  if (ink == nullptr) return nullptr;
  varne::raster::SourceRows rows(image, kWhite, *ink, 0, 0, false);
  for (int y = 0; y < height; ++y) {
    std::memcpy(ink->Row(y), rows.Bits(y, 0, width, 0), ink->rowBytes);
  }
  return ink;
}

// The mask's bits expand to all ones and all zeros, so PSDPxax keeps every
// bit of the destination under a 1 and puts the colour's raw value under a
// 0, at every depth: a select, not a blend.
void PaintWhereClear(Surface& target, const Surface& mask, std::int64_t x, std::int64_t y,
                     COLORREF colour) {
  BlitOperands operands;
  operands.pattern = varne::raster::RawOfColour(target, colour);
  operands.one = ~std::uint32_t{0};
  operands.zero = 0;
  varne::raster::Blit(target, BlitArea{x, y, mask.width, mask.height, 0, 0}, &mask, operands,
                      varne::raster::RopIndex(varne::raster::kPsdpxax));
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
