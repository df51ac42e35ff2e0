#include "tests/support/live_objects.h"

#include "platform/win32.h"

namespace varne::test {

std::optional<LiveObjects> LiveGdiObjects() {
#ifdef _WIN32
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count == 0) return std::nullopt;
  return LiveObjects{.deviceContexts = static_cast<int>(count)};
#else
  return raster::CountLiveObjects();
#endif
}

::testing::AssertionResult LeakCheckedTest::LiveAsAtSetUp(int moreBitmaps) const {
  if (!atSetUp_) return ::testing::AssertionSuccess();
  const std::optional<LiveObjects> now = LiveGdiObjects();
  if (!now) return ::testing::AssertionFailure() << "the platform no longer counts its objects";
  LiveObjects expected = *atSetUp_;
#ifdef _WIN32
  expected.deviceContexts += moreBitmaps;
#else
  expected.bitmaps += moreBitmaps;
#endif
  if (*now == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "live: " << now->deviceContexts << " contexts, " << now->bitmaps << " bitmaps, "
         << now->brushes << " brushes; expected " << expected.deviceContexts << ", "
         << expected.bitmaps << " and " << expected.brushes;
}

}  // namespace varne::test
