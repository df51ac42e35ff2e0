// BitBlt calls on test pictures, run on the platform and through the
// per-pixel model of tests/support/raster_model.h, which shares nothing
// with the layer.
#pragma once

#include <cstdint>

#include "tests/raster/test_surfaces.h"

namespace varne::test {

struct DcColours {
  COLORREF background = 0x00FFFFFF;
  COLORREF text = 0;
};

struct BlitCall {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int sourceX = 0;
  int sourceY = 0;
  DWORD rop = SRCCOPY;
  COLORREF brush = 0;
  DcColours destinationColours;
  DcColours sourceColours;
};

// The destination after the call, as the platform should leave it.
Picture ModelBlit(const Picture& destination, const Picture& source, const BlitCall& call);

// Builds both bitmaps on the platform, runs BitBlt, and reads the
// destination back. Every object it makes is released before it returns.
Picture PlatformBlit(const Picture& destination, const Picture& source, const BlitCall& call);

}  // namespace varne::test
