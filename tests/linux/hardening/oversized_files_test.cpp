// Files far larger than the bitmap in them. The loader reads a file's head
// first and refuses one whose head is no bitmap without reading on; of a
// bitmap with stored rows it reads only as far as the rows reach. Bytes
// read are counted by the kernel (rchar in /proc/self/io).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/linux/hardening/scratch_files.h"
#include "tests/support/live_objects.h"

namespace varne::test {
namespace {

constexpr off_t kLargeFile = off_t{256} << 20;  // sparse: costs no disk
constexpr std::uint64_t kMiB = 1 << 20;

std::uint64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string field;
  std::uint64_t value = 0;
  while (io >> field >> value) {
    if (field == "rchar:") return value;
  }
  return 0;
}

void WriteLarge(const std::string& path, const std::vector<std::uint8_t>& start) {
  WriteFile(path, start);
  ASSERT_EQ(::truncate(path.c_str(), kLargeFile), 0);
}

HBITMAP Load(const std::string& path) {
  return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

COLORREF PixelOf(HBITMAP image, int x, int y) {
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, image);
  const COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return colour;
}

void PutU32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

using OversizedFiles = LeakCheckedTest;

TEST_F(OversizedFiles, AHeadThatIsNoBitmapIsRefusedWithoutReadingOn) {
  ScratchFolder folder;
  std::vector<std::uint8_t> broken = SolidBmp24(4, 4, 0x00336699);
  broken[26] = 2;  // planes
  std::vector<std::uint8_t> noSignature = SolidBmp24(4, 4, 0x00336699);
  noSignature[0] = 'X';
  for (const auto* start : {&broken, &noSignature}) {
    WriteLarge(folder / "large.bmp", *start);
    const std::uint64_t read = BytesReadSoFar();
    EXPECT_EQ(Load(folder / "large.bmp"), nullptr);
    EXPECT_LT(BytesReadSoFar() - read, kMiB) << "the rest of a 256 MiB file was read";
  }
}

TEST_F(OversizedFiles, StoredRowsAreReadOnlyAsFarAsTheyReach) {
  ScratchFolder folder;
  WriteLarge(folder / "large.bmp", SolidBmp24(300, 200, 0x00336699));
  const std::uint64_t read = BytesReadSoFar();
  const HBITMAP image = Load(folder / "large.bmp");
  ASSERT_NE(image, nullptr);
  EXPECT_LT(BytesReadSoFar() - read, kMiB);
  EXPECT_EQ(PixelOf(image, 0, 0), RGB(0x33, 0x66, 0x99));
  EXPECT_EQ(PixelOf(image, 299, 199), RGB(0x33, 0x66, 0x99));
  DeleteObject(image);
}

// Pixels that start past the head: the head alone cannot judge the file,
// which is then read on and loads as before.
TEST_F(OversizedFiles, PixelsThatStartPastTheHeadStillLoad) {
  ScratchFolder folder;
  const std::vector<std::uint8_t> solid = SolidBmp24(3, 2, 0x00CC2211);
  constexpr std::uint32_t kOffset = 200000;
  constexpr std::size_t kHeaders = 54;
  std::vector<std::uint8_t> file(kOffset + solid.size() - kHeaders, 0xEE);
  std::copy(solid.begin(), solid.begin() + kHeaders, file.begin());
  std::copy(solid.begin() + kHeaders, solid.end(), file.begin() + kOffset);
  PutU32(file, 2, static_cast<std::uint32_t>(file.size()));
  PutU32(file, 10, kOffset);
  WriteFile(folder / "gap.bmp", file);
  const HBITMAP image = Load(folder / "gap.bmp");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(PixelOf(image, 0, 0), RGB(0xCC, 0x22, 0x11));
  EXPECT_EQ(PixelOf(image, 2, 1), RGB(0xCC, 0x22, 0x11));
  DeleteObject(image);
}

}  // namespace
}  // namespace varne::test
