#include "tests/support/live_objects.h"

#include "platform/win32.h"

#ifndef _WIN32
#include "platform/raster/live_objects.h"
#endif

namespace varne::test {

std::optional<LiveCount> LiveGdiObjects() {
#ifdef _WIN32
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count == 0) return std::nullopt;
  return LiveCount{.deviceContexts = static_cast<int>(count)};
#else
  const raster::LiveObjects live = raster::CountLiveObjects();
  return LiveCount{live.deviceContexts, live.bitmaps, live.brushes};
#endif
}

}  // namespace varne::test
