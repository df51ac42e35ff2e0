#include <gtest/gtest.h>

#include <random>

#include "effects/raster/mask_work_set.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

using MaskWorkSetTest = LeakCheckedTest;

// Building the shape's masks leaves the work context holding what it held,
// so the caller's own select/restore pair is the whole story: neither the
// shape nor the key mask stays selected there.
TEST_F(MaskWorkSetTest, BuildingTheShapeMasksLeavesTheWorkContextAsItWas) {
  std::mt19937 random(77);
  OwnedBitmap shape(DibFromPicture(RandomPicture(random, 12, 9, {0x00FFFFFF, 0x00204080})));
  OwnedBitmap probe(CreateBitmap(1, 1, 1, 1, nullptr));
  const HDC screen = GetDC(nullptr);
  MaskWorkSet set{};
  ASSERT_TRUE(CreateMaskWorkSet(screen, 12, 9, false, &set));
  ReleaseDC(nullptr, screen);
  const HGDIOBJ original = SelectObject(set.workContext, probe.get());
  SelectObject(set.workContext, original);

  BuildShapeMasks(set, shape.get(), 0, 0);
  const HGDIOBJ heldAfter = SelectObject(set.workContext, probe.get());
  EXPECT_EQ(heldAfter, original);
  EXPECT_NE(heldAfter, set.key);
  SelectObject(set.workContext, heldAfter);
  ReleaseMaskWorkSet(set);
}

}  // namespace
}  // namespace varne::test
