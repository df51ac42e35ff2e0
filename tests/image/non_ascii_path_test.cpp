// A .bmp in a folder with a Greek name, loaded the way LoadBitmapFile loads
// the user's choice: the path's bytes in PathBuffer, LoadImageA, then
// NormalizeTo32Bpp. The A call reads those bytes in the process code page;
// the Windows build's manifest makes that UTF-8 (Windows 10 1903 and
// later), without which no code page of a Western system holds the name.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bmp_writer/bmp_writer.h"
#include "image/bitmap_loader.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

constexpr int kWidth = 3;
constexpr int kHeight = 2;

// Distinct in every byte, so a swapped channel or row shows.
DWORD ColourAt(int x, int y) { return 0x00102030u + static_cast<DWORD>(0x00405060 * x + 0x000F0E0D * y); }

class NonAsciiPath : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
#ifdef _WIN32
    if (GetACP() != CP_UTF8) {
      GTEST_SKIP() << "the process code page is " << GetACP()
                   << ", not UTF-8 (65001): the manifest's activeCodePage takes effect from "
                      "Windows 10 1903 on";
    }
#endif
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() / ("varne_" + std::to_string(ticks));
    const std::filesystem::path folder = root_ / std::filesystem::path(u8"Ελληνικά");
    std::filesystem::create_directories(folder);
    file_ = folder / std::filesystem::path(u8"τοπίο.bmp");
    BmpFileRecipe recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.pixels = PackRows(kWidth, kHeight, 24, false,
                             [](int x, int y) { return static_cast<std::uint32_t>(ColourAt(x, y)); });
    const std::vector<std::uint8_t> bytes = BuildBmp(recipe);
    std::ofstream out(file_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write the test file";
  }

  void TearDown() override {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    LeakCheckedTest::TearDown();
  }

  std::filesystem::path root_;
  std::filesystem::path file_;
};

TEST_F(NonAsciiPath, LoadsThroughPathBufferAsUtf8) {
  const std::u8string utf8 = file_.u8string();
  ASSERT_LT(utf8.size(), sizeof(PathBuffer)) << "the temporary folder's path is too long for the test";
  std::memset(PathBuffer, 0, sizeof(PathBuffer));
  std::memcpy(PathBuffer, utf8.data(), utf8.size());
  ASSERT_TRUE(std::any_of(utf8.begin(), utf8.end(), [](char8_t byte) { return byte >= 0x80; }));

  const HANDLE loaded =
      LoadImageA(nullptr, PathBuffer, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  ASSERT_NE(loaded, nullptr) << "LoadImageA missed " << reinterpret_cast<const char*>(utf8.c_str());
  const OwnedBitmap image(NormalizeTo32Bpp(static_cast<HBITMAP>(loaded)));
  ASSERT_NE(image, nullptr);

  const BITMAP description = DescriptionOf(image.get());
  EXPECT_EQ(description.bmWidth, kWidth);
  EXPECT_EQ(description.bmHeight, kHeight);
  EXPECT_EQ(description.bmBitsPixel, 32);
  const Picture words = WordsFromDib(image.get());
  ASSERT_EQ(words.pixels.size(), static_cast<std::size_t>(kWidth * kHeight));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) EXPECT_EQ(words.at(x, y), ColourAt(x, y)) << "pixel " << x << ", " << y;
  }
}

}  // namespace
}  // namespace varne::test
