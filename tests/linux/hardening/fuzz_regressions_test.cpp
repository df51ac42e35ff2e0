// Every input a fuzzer ever crashed on stays here and is replayed through
// the decoder and the loader on each run, sanitizers included.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <variant>
#include <vector>

#include "image/bitmap_loader.h"
#include "platform/bmp/test_seam.h"
#include "platform/win32.h"
#include "tests/support/live_objects.h"

namespace {

std::filesystem::path RegressionFolder() {
  return (std::filesystem::path(__FILE__).parent_path() / "../../../fuzz/corpus/regressions")
      .lexically_normal();
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using FuzzRegressions = varne::test::LeakCheckedTest;

TEST_F(FuzzRegressions, EveryKeptFileDecodesOrIsRefusedAndLoadsTheSameWay) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RegressionFolder())) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    ++replayed;
    const std::vector<std::uint8_t> file = ReadAll(entry.path());
    const auto decoded = varne::bmp::DecodeBmp(file);
    const auto loaded = static_cast<HBITMAP>(LoadImageA(nullptr, entry.path().c_str(), IMAGE_BITMAP,
                                                        0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    const auto* picture = std::get_if<varne::bmp::DecodedBmp>(&decoded);
    ASSERT_EQ(loaded != nullptr, picture != nullptr) << "the loader and the decoder disagree";
    if (loaded != nullptr) {
      BITMAP description{};
      ASSERT_NE(GetObjectA(loaded, sizeof description, &description), 0);
      EXPECT_EQ(description.bmWidth, picture->layout.width);
      EXPECT_EQ(description.bmHeight, picture->layout.height);
      const HBITMAP image = NormalizeTo32Bpp(loaded);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(DeleteObject(image), TRUE);
    }
    EXPECT_TRUE(LiveAsAtSetUp());
  }
  EXPECT_GT(replayed, 0) << "no regression files found in " << RegressionFolder();
}

}  // namespace
