// Pixel data read from its source as it is decoded: a source that stops
// part way (a file that shrank or failed) gives exactly the picture the
// same bytes give as a truncated file in memory, and no read asks for
// more than the section's own rows or a small buffer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <variant>
#include <vector>

#include "bmp_writer/bmp_writer.h"
#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/opened_file.h"
#include "platform/bmp/source_cursor.h"
#include "platform/bmp/test_seam.h"
#include "tests/support/temp_file.h"

namespace varne::bmp {
namespace {

// The file's bytes up to `limit`, after which every read comes up short,
// as a read of a file that shrank or failed does. Each request is checked:
// it lands in the section or fits the cursor's buffer.
class StoppingSource final : public ByteSource {
 public:
  StoppingSource(std::span<const std::uint8_t> file, std::size_t limit,
                 std::span<const std::uint8_t> section)
      : file_(file.first(std::min(limit, file.size()))), section_(section) {}

  std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) override {
    const bool intoSection = out.data() >= section_.data() &&
                             out.data() + out.size() <= section_.data() + section_.size();
    if (!intoSection && out.size() > SourceCursor::kBufferBytes) ++oversizedReads;
    return MemoryBytes(file_).ReadAt(offset, out);
  }

  int oversizedReads = 0;

 private:
  std::span<const std::uint8_t> file_;
  std::span<const std::uint8_t> section_;
};

struct StreamCase {
  const char* name;
  BmpFileRecipe recipe;
  // The section's bytes for the whole file, worked out apart from the
  // decoder; empty where the stored rows themselves say it.
  std::vector<std::uint8_t> wholeSection = {};
};

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

BmpFileRecipe Uncompressed(int bitCount, std::int32_t width, std::int32_t height) {
  BmpFileRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bitCount = static_cast<std::uint16_t>(bitCount);
  if (bitCount <= 8) recipe.palette.assign(std::size_t{1} << bitCount, BmpColour{9, 8, 7});
  const std::int32_t rows = height < 0 ? -height : height;
  recipe.pixels = RandomBytes(BmpRowBytes(width, bitCount) * rows, bitCount * 31 + rows);
  return recipe;
}

BmpFileRecipe Masked(int bitCount, std::array<std::uint32_t, 4> masks, std::int32_t height) {
  BmpFileRecipe recipe = Uncompressed(bitCount, 13, height);
  recipe.compression = kBmpBitfields;
  recipe.masks = masks;
  return recipe;
}

// Long enough that the cursor refills its buffer several times, with codes
// of every kind across the refills. Also gives the section it decodes to.
StreamCase LongRle(const char* name, int bitsPerIndex) {
  constexpr std::int32_t kWidth = 301;
  constexpr std::int32_t kHeight = 200;
  const std::size_t rowBytes = BmpRowBytes(kWidth, bitsPerIndex);
  std::vector<std::uint8_t> section(rowBytes * kHeight, 0);
  const auto put = [&](int row, int x, std::uint8_t index) {
    std::uint8_t* at = section.data() + static_cast<std::size_t>(row) * rowBytes;
    if (bitsPerIndex == 8) {
      at[x] = index;
    } else {
      at[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
  };
  const auto runIndex = [&](std::uint8_t value, int i) {
    if (bitsPerIndex == 8) return value;
    return static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F);
  };
  RleStream stream(bitsPerIndex);
  std::mt19937 random(static_cast<unsigned>(bitsPerIndex));
  for (int row = 0; row < kHeight; ++row) {
    std::vector<std::uint8_t> indices(101 + row % 150);
    for (std::uint8_t& index : indices) index = static_cast<std::uint8_t>(random() % (bitsPerIndex == 8 ? 256 : 16));
    const auto value = static_cast<std::uint8_t>(row * 7 + 1);
    stream.Absolute(indices).Run(37, value).Run(3, 0x5A);
    int x = 0;
    for (const std::uint8_t index : indices) put(row, x++, index);
    for (int i = 0; i < 37; ++i) put(row, x++, runIndex(value, i));
    for (int i = 0; i < 3; ++i) put(row, x++, runIndex(0x5A, i));
    if (row % 17 == 5) {
      stream.Delta(4, 0).Run(1, 0x77);
      put(row, x + 4, runIndex(0x77, 0));
    }
    stream.EndOfLine();
  }
  stream.EndOfBitmap();
  BmpFileRecipe recipe;
  recipe.width = kWidth;
  recipe.height = kHeight;
  recipe.bitCount = static_cast<std::uint16_t>(bitsPerIndex);
  recipe.compression = bitsPerIndex == 8 ? kBmpRle8 : kBmpRle4;
  recipe.palette.assign(std::size_t{1} << bitsPerIndex, BmpColour{1, 2, 3});
  recipe.pixels = stream.bytes();
  return {name, recipe, section};
}

// Stored rows as far as `limit` reaches, each in its section row.
std::vector<std::uint8_t> RowsUpTo(std::span<const std::uint8_t> file, const BmpLayout& layout,
                                   std::size_t limit) {
  std::vector<std::uint8_t> section(layout.imageBytes, 0);
  for (std::size_t i = layout.pixelOffset; i < std::min(limit, layout.pixelOffset + layout.imageBytes); ++i) {
    const std::size_t stored = (i - layout.pixelOffset) / layout.rowBytes;
    const std::size_t row = layout.topDown ? layout.height - 1 - stored : stored;
    section[row * layout.rowBytes + (i - layout.pixelOffset) % layout.rowBytes] = file[i];
  }
  return section;
}

std::vector<StreamCase> Cases() {
  return {
      {"Rows24BottomUp", Uncompressed(24, 7, 5)},
      {"Rows24TopDown", Uncompressed(24, 7, -5)},
      {"Rows4TopDown", Uncompressed(4, 9, -6)},
      {"Masked32", Masked(32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 4)},
      {"Masked32TopDown", Masked(32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, -4)},
      {"Masked16ZeroBlue", Masked(16, {0xF800, 0x07E0, 0, 0}, 5)},
      LongRle("Rle8", 8),
      LongRle("Rle4", 4),
  };
}

std::vector<std::uint8_t> DecodeFrom(const BmpLayout& layout, ByteSource& source) {
  std::vector<std::uint8_t> bits(layout.imageBytes, 0);
  DecodeBmpPixels(layout, source, bits);
  return bits;
}

TEST(StreamedPixelsTest, ASourceThatStopsGivesWhatATruncatedFileGives) {
  for (const StreamCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> file = BuildBmp(c.recipe);
    const auto parsed = ParseBmpLayout(file);
    ASSERT_TRUE(std::holds_alternative<BmpLayout>(parsed));
    const BmpLayout& layout = std::get<BmpLayout>(parsed);
    ASSERT_GT(file.size() - layout.pixelOffset, 0u);

    // Every end inside small files; for the long RLE streams, a spread of
    // ends and the ones around each buffer refill.
    std::vector<std::size_t> limits;
    for (std::size_t end = layout.pixelOffset; end <= file.size(); end += file.size() < 4096 ? 1 : 131) {
      limits.push_back(end);
    }
    for (std::size_t refill = SourceCursor::kBufferBytes; refill < file.size();
         refill += SourceCursor::kBufferBytes) {
      for (std::size_t end = refill + layout.pixelOffset - 3; end <= refill + layout.pixelOffset + 3; ++end) {
        limits.push_back(end);
      }
    }
    limits.push_back(file.size());

    bool sawPartial = false;
    std::vector<std::uint8_t> whole;
    for (const std::size_t limit : limits) {
      const std::vector<std::uint8_t> truncated(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(limit));
      MemoryBytes inMemory(truncated);
      const std::vector<std::uint8_t> expected = DecodeFrom(layout, inMemory);

      std::vector<std::uint8_t> bits(layout.imageBytes, 0);
      StoppingSource stopping(file, limit, bits);
      DecodeBmpPixels(layout, stopping, bits);
      ASSERT_EQ(bits, expected) << "stopping after " << limit << " of " << file.size() << " bytes";
      if (layout.encoding == PixelEncoding::kRows) {
        ASSERT_EQ(bits, RowsUpTo(file, layout, limit)) << "stopping after " << limit;
      }
      EXPECT_EQ(stopping.oversizedReads, 0) << "a read the size of the file's data";
      if (limit == file.size()) whole = bits;
      sawPartial |= std::any_of(bits.begin(), bits.end(), [](std::uint8_t b) { return b != 0; }) &&
                    limit < file.size();
    }
    EXPECT_TRUE(sawPartial) << "a cut file kept none of its pixels";
    if (!c.wholeSection.empty()) {
      EXPECT_EQ(whole, c.wholeSection);
    }
  }
}

// The loader opens the file once and reads it as it decodes; a file cut
// after it was opened reads only what is left, and one that grows is not
// followed.
TEST(StreamedPixelsTest, AnOpenedFileReadsWhatItHoldsNowUpToItsSizeWhenOpened) {
  const std::vector<std::uint8_t> bytes = RandomBytes(50000, 7);
  const test::TempFile temp(bytes);
  const auto file = OpenedFile::Open(temp.path().c_str(), 40000);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->size(), 40000u) << "capped";

  std::vector<std::uint8_t> out(1000, 0xEE);
  ASSERT_EQ(file->ReadAt(39500, out), 500u) << "stops at the cap";
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 500, bytes.begin() + 39500));
  EXPECT_EQ(out[500], 0xEE) << "nothing written past the count";

  ASSERT_EQ(::truncate(temp.path().c_str(), 30000), 0);
  std::fill(out.begin(), out.end(), 0xEE);
  EXPECT_EQ(file->ReadAt(29900, out), 100u) << "the file shrank";
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 100, bytes.begin() + 29900));
  EXPECT_EQ(out[100], 0xEE);
  EXPECT_EQ(file->ReadAt(30000, out), 0u);

  ASSERT_EQ(::truncate(temp.path().c_str(), 90000), 0);
  EXPECT_EQ(file->ReadAt(39990, out), 10u) << "grown again, read only to the size it had";
  EXPECT_EQ(file->ReadAt(45000, out), 0u);
}

}  // namespace
}  // namespace varne::bmp
