// GetOpenFileNameA's checks of the record and the buffer it fills.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/linux/ui/dialog_driver.h"

namespace varne::test {
namespace {

class OpenFileNameTest : public ::testing::Test {
 protected:
  OpenFileNameTest() {
    std::memset(buffer_, 'x', sizeof buffer_);
    buffer_[0] = '\0';
    record_.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record_.lpstrFile = buffer_;
    record_.nMaxFile = 16;
  }

  ScriptedChooser chooser_;
  char buffer_[32];
  OPENFILENAMEA record_{};
};

TEST_F(OpenFileNameTest, RecordsOfUnknownSizeFailWithoutAsking) {
  for (DWORD size : {0u, 76u, static_cast<DWORD>(sizeof(OPENFILENAMEA) + 4)}) {
    record_.lStructSize = size;
    EXPECT_FALSE(GetOpenFileNameA(&record_)) << size;
  }
  EXPECT_FALSE(GetOpenFileNameA(nullptr));
  EXPECT_TRUE(chooser_.calls().empty());
}

TEST_F(OpenFileNameTest, BothKnownSizesAreAccepted) {
  chooser_.Answer("/a/b.bmp");
  chooser_.Answer("/c.bmp");
  EXPECT_TRUE(GetOpenFileNameA(&record_));
  record_.lStructSize = sizeof(OPENFILENAMEA);
  EXPECT_TRUE(GetOpenFileNameA(&record_));
  EXPECT_STREQ(buffer_, "/c.bmp");
}

TEST_F(OpenFileNameTest, CancelReturnsZeroAndLeavesTheBuffer) {
  chooser_.Answer(std::nullopt);
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(buffer_[0], '\0');
  EXPECT_EQ(buffer_[1], 'x');
}

TEST_F(OpenFileNameTest, APathFitsWhenItAndItsNulFillTheBufferAndFailsWhole) {
  const std::string fits = "/dir/abc.bmp123";  // 15 bytes + NUL = nMaxFile
  const std::string tooLong = fits + "4";
  chooser_.Answer(tooLong);
  chooser_.Answer(fits);
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(buffer_[1], 'x') << "nothing of a path that does not fit is written";
  EXPECT_TRUE(GetOpenFileNameA(&record_));
  EXPECT_EQ(std::string(buffer_), fits);
  EXPECT_EQ(record_.nFileOffset, 5);
  EXPECT_EQ(record_.nFileExtension, 9);
}

TEST_F(OpenFileNameTest, TheChooserSeesTheCallersRecord) {
  char title[] = "Pick";
  record_.lpstrTitle = title;
  record_.lpstrFilter = "Pictures\0*.bmp;*.dib\0";
  chooser_.Answer(std::nullopt);
  GetOpenFileNameA(&record_);
  ASSERT_EQ(chooser_.calls().size(), 1u);
  EXPECT_EQ(chooser_.calls()[0].title, "Pick");
  EXPECT_EQ(chooser_.calls()[0].filter, (std::vector<std::string>{"Pictures", "*.bmp;*.dib"}));
}

}  // namespace
}  // namespace varne::test
