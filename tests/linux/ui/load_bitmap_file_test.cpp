#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bmp_writer/bmp_writer.h"
#include "image/bitmap_loader.h"
#include "platform/ui/open_file_chooser.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/refused_paths.h"
#include "tests/support/temp_file.h"

namespace varne::test {
namespace {

// A .bmp written byte by byte, and the colour of each pixel as displayed,
// so the expectation owes nothing to any decoder.
struct BitmapFile {
  std::vector<std::uint8_t> bytes;
  Picture colours;
  Picture words;  // the stored words, fourth bytes included: 32-bit files only
};

BitmapFile MakeBitmapFile(int bpp, int width, int height, std::uint32_t seed) {
  std::mt19937 generator(seed);
  const int colours = bpp <= 8 ? 1 << bpp : 0;
  std::vector<DWORD> palette;
  for (int i = 0; i < colours; ++i) palette.push_back(generator() & 0x00FFFFFFu);
  const std::size_t stride = BmpRowBytes(width, bpp);
  BitmapFile file;
  file.colours = Picture(width, height);
  if (bpp == 32) file.words = Picture(width, height);
  std::vector<std::uint8_t> pixels(stride * height);
  for (int row = 0; row < height; ++row) {  // file rows run bottom-up
    std::uint8_t* line = pixels.data() + stride * row;
    for (int x = 0; x < width; ++x) {
      const DWORD raw = generator();
      DWORD colour = 0;
      if (bpp <= 8) {
        const DWORD index = raw % colours;
        const int bit = x * bpp;
        line[bit / 8] = static_cast<std::uint8_t>(line[bit / 8] | index << (8 - bpp - bit % 8));
        colour = palette[index];
      } else if (bpp == 16) {
        // 5-5-5: each field widened to 8 bits by repeating its top bits.
        const DWORD value = raw & 0x7FFF;
        std::memcpy(line + 2 * x, &value, 2);
        colour = WidenChannel(value >> 10 & 31, 5) << 16 | WidenChannel(value >> 5 & 31, 5) << 8 |
                 WidenChannel(value & 31, 5);
      } else {
        std::memcpy(line + (bpp / 8) * x, &raw, bpp / 8);
        colour = raw & 0x00FFFFFFu;
        if (bpp == 32) file.words.at(x, height - 1 - row) = raw;
      }
      file.colours.at(x, height - 1 - row) = colour;
    }
  }
  BmpFileRecipe recipe{.width = width,
                       .height = height,
                       .bitCount = static_cast<std::uint16_t>(bpp),
                       .pixels = std::move(pixels),
                       .imageBytes = 0};
  for (const DWORD colour : palette) {
    recipe.palette.push_back({static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                              static_cast<std::uint8_t>(colour)});
  }
  file.bytes = BuildBmp(recipe);
  return file;
}

std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = ::testing::TempDir() + name;
  WriteFileBytes(path, bytes);
  return path;
}

// Scripts the desktop's dialog away for one test and keeps every record
// the call received, with the path buffer's first bytes as they were then.
class LoadBitmapFileTest : public LeakCheckedTest {
 protected:
  struct Seen {
    OPENFILENAMEA record;
    std::string filter;  // up to and including the closing double NUL
    std::string title;
    std::string defaultExtension;
    std::uint8_t firstBytes[4];
  };

  void SetUp() override {
    LeakCheckedTest::SetUp();
    previous_ = ui::SetOpenFileChooser([this](const OPENFILENAMEA& record) {
      Seen seen{record, {}, record.lpstrTitle ? record.lpstrTitle : "",
                record.lpstrDefExt ? record.lpstrDefExt : "", {}};
      if (record.lpstrFilter != nullptr) {
        const char* end = record.lpstrFilter;
        while (end[0] != '\0' || end[1] != '\0') ++end;
        seen.filter.assign(record.lpstrFilter, end + 2);
      }
      if (record.lpstrFile != nullptr) std::memcpy(seen.firstBytes, record.lpstrFile, 4);
      seen_.push_back(seen);
      return choice_;
    });
  }
  void TearDown() override {
    ui::SetOpenFileChooser(previous_);
    LeakCheckedTest::TearDown();
  }

  std::optional<std::string> choice_;
  std::vector<Seen> seen_;

 private:
  ui::OpenFileChooser previous_;
};

TEST_F(LoadBitmapFileTest, FillsTheRecordAsThePlatformExpectsIt) {
  std::memset(PathBuffer, 'x', sizeof(PathBuffer));
  const HWND owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5150));
  choice_ = std::nullopt;
  EXPECT_EQ(LoadBitmapFile(owner), nullptr);
  ASSERT_EQ(seen_.size(), 1u);
  const Seen& seen = seen_[0];
  const OPENFILENAMEA& record = seen.record;
  EXPECT_EQ(record.lStructSize, OPENFILENAME_SIZE_VERSION_400A);
  EXPECT_EQ(record.hwndOwner, owner);
  EXPECT_EQ(record.hInstance, nullptr);
  EXPECT_EQ(seen.filter, std::string("Bitmap files (*.bmp)\0*.bmp\0\0", 28));
  EXPECT_EQ(record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(record.nMaxCustFilter, 0u);
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrFile, PathBuffer);
  EXPECT_EQ(record.nMaxFile, 260u);
  EXPECT_EQ(record.lpstrFileTitle, nullptr);
  EXPECT_EQ(record.nMaxFileTitle, 0u);
  EXPECT_EQ(record.lpstrInitialDir, nullptr);
  EXPECT_EQ(seen.title, "Open file");
  EXPECT_EQ(record.Flags, 0x000A1004u);
  EXPECT_EQ(seen.defaultExtension, "bmp");
  EXPECT_EQ(record.lCustData, 0);
  EXPECT_EQ(record.lpfnHook, nullptr);
  EXPECT_EQ(record.lpTemplateName, nullptr);
  EXPECT_EQ(std::vector<int>(seen.firstBytes, seen.firstBytes + 4), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(LoadBitmapFileTest, EveryDialogStartsWithAnEmptyName) {
  choice_ = WriteFile("first.bmp", MakeBitmapFile(24, 3, 2, 1).bytes);
  const OwnedBitmap first(LoadBitmapFile(nullptr));
  ASSERT_TRUE(first);
  ASSERT_STREQ(PathBuffer, choice_->c_str());
  choice_ = std::nullopt;
  EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(std::vector<int>(seen_[1].firstBytes, seen_[1].firstBytes + 4), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(LoadBitmapFileTest, EveryDepthComesBackAsADib32WithTheFilesColours) {
  for (const int bpp : {1, 4, 8, 16, 24, 32}) {
    for (const auto& [width, height] : {std::pair{1, 1}, {5, 3}, {37, 12}}) {
      SCOPED_TRACE(::testing::Message() << bpp << " bpp, " << width << " x " << height);
      const BitmapFile file = MakeBitmapFile(bpp, width, height, bpp * 1000u + width);
      choice_ = WriteFile("depth.bmp", file.bytes);
      const OwnedBitmap image(LoadBitmapFile(nullptr));
      ASSERT_TRUE(image);
      const BITMAP description = DescriptionOf(image.get());
      EXPECT_EQ(description.bmWidth, width);
      EXPECT_EQ(description.bmHeight, height);
      EXPECT_PRED_FORMAT2(PicturesEqual, PictureFromDib(image.get()), file.colours);
    }
  }
}

TEST_F(LoadBitmapFileTest, A32BitFileIsTheSectionLoadedWithItsFourthBytes) {
  const BitmapFile file = MakeBitmapFile(32, 9, 7, 77);
  choice_ = WriteFile("deep.bmp", file.bytes);
  const OwnedBitmap image(LoadBitmapFile(nullptr));
  ASSERT_TRUE(image);
  EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(image.get()), file.words);
  // The loader's own section is already a Dib32, so normalising keeps it.
  const HBITMAP loaded = static_cast<HBITMAP>(
      LoadImageA(nullptr, choice_->c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(loaded, nullptr);
  const OwnedBitmap kept(NormalizeTo32Bpp(loaded));
  EXPECT_EQ(kept.get(), loaded);
}

TEST_F(LoadBitmapFileTest, CancelAndUnreadableFilesGiveNone) {
  choice_ = std::nullopt;
  EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
  choice_ = WriteFile("not_a_bitmap.bmp", {'P', 'K', 3, 4, 'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
  EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
  for (const RefusedPath& row : RefusedPaths()) {
    const ScratchFolder folder;
    choice_ = row.lay(folder.path()).path;
    EXPECT_EQ(LoadBitmapFile(nullptr), nullptr) << row.name;
  }
  // A path longer than the buffer fails like a cancel, as on the platform.
  choice_ = ::testing::TempDir() + std::string(300, 'a') + ".bmp";
  EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
  EXPECT_EQ(seen_.size(), 3u + RefusedPaths().size());
}

}  // namespace
}  // namespace varne::test
