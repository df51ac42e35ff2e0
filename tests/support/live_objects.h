// Counting the platform objects the process holds, so a test can prove that
// an operation released everything it created.
#pragma once

#include <gtest/gtest.h>

#include <optional>

namespace varne::test {

// Live GDI objects of this process: on Linux the stand-in layer's count of
// each kind, on Windows one total (in `deviceContexts`, the others 0).
struct LiveCount {
  int deviceContexts = 0;
  int bitmaps = 0;
  int brushes = 0;
  friend bool operator==(const LiveCount&, const LiveCount&) = default;
};

// The count now, or nothing where the platform cannot tell (Wine answers
// GetGuiResources with 0).
std::optional<LiveCount> LiveGdiObjects();

// Checks in TearDown that a test left as many live objects of each kind as
// it found. Fixtures that check more derive from this and call both halves.
class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = LiveGdiObjects(); }
  void TearDown() override {
    if (!before_) return;
    const std::optional<LiveCount> after = LiveGdiObjects();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->deviceContexts, before_->deviceContexts) << "contexts leaked or over-released";
    EXPECT_EQ(after->bitmaps, before_->bitmaps) << "bitmaps leaked or over-released";
    EXPECT_EQ(after->brushes, before_->brushes) << "brushes leaked or over-released";
  }

 private:
  std::optional<LiveCount> before_;
};

}  // namespace varne::test
