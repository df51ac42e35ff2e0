#include "tests/support/live_objects.h"

#include "platform/win32.h"

#ifndef _WIN32
#include "platform/raster/live_objects.h"
#endif

namespace varne::test {

std::optional<int> LiveGdiObjects() {
#ifdef _WIN32
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count == 0) return std::nullopt;
  return static_cast<int>(count);
#else
  return raster::CountLiveObjects().total();
#endif
}

}  // namespace varne::test
