// Hostile files and released handles get the platform's answer: none or
// FALSE, never a crash or a giant allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_writer/bmp_writer.h"
#include "effects/geometry/rotate_dib.h"
#include "effects/pixel/pixel_effects.h"
#include "effects/raster/raster_ops.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"
#include "platform/win32.h"

namespace {

using varne::BuildBmp;

HBITMAP LoadBytes(const std::vector<std::uint8_t>& bytes, const char* name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const auto loaded = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  std::filesystem::remove(path);
  return loaded;
}

TEST(HostileFiles, AbsurdDeclaredSizesGiveNone) {
  const std::vector<std::uint8_t> pixels(64, 0x55);
  EXPECT_EQ(LoadBytes(BuildBmp({.width = 100000, .height = 100000, .pixels = pixels, .imageBytes = 0}), "varne-huge.bmp"), nullptr);
  EXPECT_EQ(LoadBytes(BuildBmp({.width = 2147483647, .height = 1, .pixels = pixels, .imageBytes = 0}), "varne-wide.bmp"), nullptr);
}

TEST(HostileFiles, AFileEndingInsideItsHeaderGivesNone) {
  std::vector<std::uint8_t> file = BuildBmp({.width = 4, .height = 4, .pixels = {}, .imageBytes = 0});
  for (std::size_t cut : {std::size_t{2}, std::size_t{14}, std::size_t{30}}) {
    file.resize(cut);
    EXPECT_EQ(LoadBytes(file, "varne-cut.bmp"), nullptr) << "cut at " << cut;
  }
}

TEST(ReleasedHandles, AreRefusedByEveryEffectAndCall) {
  const HDC screen = GetDC(nullptr);
  const HBITMAP gone = CreateDib32(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(gone, nullptr);
  ASSERT_EQ(DeleteObject(gone), TRUE);
  EXPECT_EQ(GrayScaleDib(gone), nullptr);
  EXPECT_EQ(ThresholdDib(gone, 128), nullptr);
  EXPECT_EQ(InvertDib(gone), nullptr);
  EXPECT_EQ(RotateDib(gone, DegreesToRadians(45), 0x00C0C0C0), nullptr);
  EXPECT_EQ(EdgesDib(gone, 127), nullptr);
  EXPECT_EQ(EmbossDib(gone, -128), nullptr);
  EXPECT_EQ(WatermarkDib(gone, gone, 1, 0, 0, 0x00FF8080, 0x00A00000), nullptr);
  EXPECT_EQ(SkinDib(gone, gone, 0, 0x00FF8080, 0x00A00000), nullptr);
  EXPECT_EQ(CopyDib32(gone), nullptr);
  BITMAP description{};
  EXPECT_EQ(GetObjectA(gone, sizeof description, &description), 0);
  const HDC memory = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(memory, gone), nullptr);
  DeleteDC(memory);
  EXPECT_EQ(DeleteObject(gone), FALSE);
}

}  // namespace
