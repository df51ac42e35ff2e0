// Counting the platform objects the process holds, so a test can prove that
// an operation released everything it created.
#pragma once

#include <gtest/gtest.h>

#include <optional>

namespace varne::test {

// Live GDI objects (DCs, bitmaps, brushes) of this process, or nothing where
// the platform cannot tell (Wine answers GetGuiResources with 0).
std::optional<int> LiveGdiObjects();

// Checks in TearDown that a test left as many live objects as it found.
class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = LiveGdiObjects(); }
  void TearDown() override {
    if (!before_) return;
    const std::optional<int> after = LiveGdiObjects();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, *before_) << "platform objects leaked or over-released";
  }

 private:
  std::optional<int> before_;
};

}  // namespace varne::test
