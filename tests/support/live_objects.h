// Counting the platform objects the process holds, so a test can prove that
// an operation released everything it created.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/raster/live_objects.h"

namespace varne::test {

// The stand-in layer's count of each kind. Windows tells one total of GDI
// objects, which is kept in `deviceContexts`, the other kinds 0.
using LiveObjects = raster::LiveObjects;

// The count now, or nothing where the platform cannot tell (Wine answers
// GetGuiResources with 0).
std::optional<LiveObjects> LiveGdiObjects();

// Checks in TearDown that a test left as many live objects of each kind as
// it found. Fixtures that check more derive from this and call both halves.
class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override { atSetUp_ = LiveGdiObjects(); }
  void TearDown() override {
    if (!atSetUp_) return;
    const std::optional<LiveObjects> after = LiveGdiObjects();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->deviceContexts, atSetUp_->deviceContexts) << "contexts leaked or over-released";
    EXPECT_EQ(after->bitmaps, atSetUp_->bitmaps) << "bitmaps leaked or over-released";
    EXPECT_EQ(after->brushes, atSetUp_->brushes) << "brushes leaked or over-released";
  }

  // The count SetUp found; nothing where the platform cannot tell.
  const std::optional<LiveObjects>& LiveAtSetUp() const { return atSetUp_; }

  // Mid-test: exactly what SetUp found, and `moreBitmaps` bitmaps more (on
  // Windows added to the one total). Always true where the platform cannot
  // tell.
  ::testing::AssertionResult LiveAsAtSetUp(int moreBitmaps = 0) const;

 private:
  std::optional<LiveObjects> atSetUp_;
};

}  // namespace varne::test
