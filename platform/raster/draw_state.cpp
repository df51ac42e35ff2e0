// DrawStateA, disabled bitmaps only: the embossed look the platform gives a
// greyed-out image (measured on Windows).
#include <vector>

#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"
#include "platform/raster/pixel_format.h"

using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;

// Which pixels of the image are ink: everything not exactly white.
std::vector<std::uint8_t> InkOf(const Surface& image, int width, int height) {
  std::vector<std::uint8_t> ink(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = varne::raster::ColourOfRaw(image, varne::raster::ReadRaw(image, row, x));
      ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          (colour & 0x00FFFFFF) != kWhite;
    }
  }
  return ink;
}

void PaintInk(Surface& target, const std::vector<std::uint8_t>& ink, int width, int height,
              int left, int top, COLORREF colour) {
  const std::uint32_t raw = varne::raster::RawOfColour(target, colour);
  for (int y = 0; y < height; ++y) {
    const long long targetY = static_cast<long long>(top) + y;
    if (targetY < 0 || targetY >= target.height) continue;
    std::uint8_t* row = target.Row(static_cast<int>(targetY));
    for (int x = 0; x < width; ++x) {
      const long long targetX = static_cast<long long>(left) + x;
      if (targetX < 0 || targetX >= target.width) continue;
      if (ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]) {
        varne::raster::WriteRaw(target, row, static_cast<int>(targetX), raw);
      }
    }
  }
}

}  // namespace

BOOL DrawStateA(HDC dc, HBRUSH, DRAWSTATEPROC, LPARAM data, WPARAM, int x, int y, int width,
                int height, UINT flags) {
  if (flags != (DST_BITMAP | DSS_DISABLED)) return FALSE;
  const DeviceContext* context = Objects().Find<DeviceContext>(dc);
  if (context == nullptr) return FALSE;
  Surface* target = Objects().Find<Surface>(context->bitmap);
  const Surface* image = Objects().Find<Surface>(reinterpret_cast<HGDIOBJ>(data));
  if (target == nullptr || image == nullptr) return FALSE;
  if (width <= 0) width = image->width;
  if (height <= 0) height = image->height;
  width = width < image->width ? width : image->width;
  height = height < image->height ? height : image->height;
  const std::vector<std::uint8_t> ink = InkOf(*image, width, height);
  PaintInk(*target, ink, width, height, x + 1, y + 1, GetSysColor(COLOR_3DHILIGHT));
  PaintInk(*target, ink, width, height, x, y, GetSysColor(COLOR_3DSHADOW));
  return TRUE;
}
