// Reading the chosen file: regular files only, whole or up to a cap, and
// nothing that could block or be something other than a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "bmp_writer/bmp_writer.h"
#include "platform/bmp/test_seam.h"
#include "tests/support/refused_paths.h"
#include "tests/support/temp_file.h"

namespace varne::bmp {
namespace {

namespace fs = std::filesystem;

TEST(ReadFileBytesTest, ReadsAWholeFileOrUpToTheCap) {
  std::vector<std::uint8_t> bytes(70000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  const test::TempFile file(bytes);
  EXPECT_EQ(ReadFileBytes(file.path().c_str(), 1 << 20), bytes);
  const auto capped = ReadFileBytes(file.path().c_str(), 1000);
  ASSERT_TRUE(capped.has_value());
  EXPECT_EQ(*capped, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 1000));
}

TEST(ReadFileBytesTest, EmptyFileIsReadAsEmpty) {
  const test::TempFile file(std::vector<std::uint8_t>{});
  const auto read = ReadFileBytes(file.path().c_str(), 100);
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->empty());
}

TEST(ReadFileBytesTest, RefusesMissingFilesDirectoriesAndDevices) {
  for (const test::RefusedPath& row : test::RefusedPaths()) {
    SCOPED_TRACE(row.name);
    const test::ScratchFolder folder;
    const test::RefusedPath::Laid laid = row.lay(folder.path());
    if (!laid.control.empty()) {
      EXPECT_TRUE(ReadFileBytes(laid.control.c_str(), 100)) << "the file reads";
    }
    EXPECT_FALSE(ReadFileBytes(laid.path.c_str(), 100));
  }
  EXPECT_FALSE(ReadFileBytes("/dev/zero", 100));
}

TEST(ReadFileBytesTest, RefusesAPipeWithoutWaitingForAWriter) {
  const fs::path fifo = fs::temp_directory_path() / ("varne_fifo_" + std::to_string(::getpid()));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadFileBytes(fifo.c_str(), 100));
  fs::remove(fifo);
}

TEST(ReadFileBytesTest, RefusesAFileItMayNotRead) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const test::TempFile file(std::vector<std::uint8_t>{1, 2, 3});
  fs::permissions(file.path(), fs::perms::none);
  EXPECT_FALSE(ReadFileBytes(file.path().c_str(), 100));
}

}  // namespace
}  // namespace varne::bmp
