// The one skeleton every transfer shares: clip against both bitmaps, return
// early when nothing is left, then walk the rows by stride and hand whole
// rows to the raster operation.
#pragma once

#include <cstdint>

#include "platform/raster/device_context.h"
#include "platform/raster/surface.h"

namespace varne::raster {

// In 64 bits: the caller's int coordinates and extents, however extreme,
// can be added and negated without overflow. After clipping every value
// lies inside a bitmap.
struct BlitArea {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t sourceX = 0;
  std::int64_t sourceY = 0;
};

// Shrinks the area to the pixels that lie inside the destination and, when
// there is a source, whose source lies inside it too. False when empty.
bool ClipBlit(BlitArea& area, const Surface& destination, const Surface* source);

// Applies the raster operation to a clipped area. source is null for
// operations that do not read it.
void RunBlit(Surface& destination, const DeviceContext& destinationDc, COLORREF brush,
             const BlitArea& area, const Surface* source, const DeviceContext* sourceDc,
             std::uint8_t index);

}  // namespace varne::raster
