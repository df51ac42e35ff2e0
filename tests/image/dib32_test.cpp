#include <gtest/gtest.h>

#include <climits>

#include "image/dib32.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

class Dib32Test : public LeakCheckedTest {};

TEST_F(Dib32Test, FreshSurfaceIsABottomUpRgbSectionOfZeros) {
  const OwnedBitmap surface = NewDib32(13, 7);
  ASSERT_TRUE(surface);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(surface.get(), sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmWidth, 13);
  EXPECT_EQ(section.dsBm.bmHeight, 7);
  EXPECT_EQ(section.dsBm.bmWidthBytes, 52);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
  EXPECT_EQ(section.dsBmih.biHeight, 7);
  EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(surface.get()), Picture(13, 7, 0));
}

TEST_F(Dib32Test, RefusesSizesThatAreNotASurface) {
  const HDC screen = GetDC(nullptr);
  for (const auto& [width, height] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}, {INT_MAX, 1}}) {
    const HBITMAP surface = CreateDib32(screen, width, height);
    EXPECT_EQ(surface, nullptr) << width << " x " << height;
    if (surface != nullptr) DeleteObject(surface);
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(Dib32Test, CopyOfNoneIsNone) { EXPECT_EQ(CopyDib32(nullptr), nullptr); }

TEST_F(Dib32Test, CopyHasTheSameSizeAndEveryWordFourthByteIncluded) {
  for (const auto& [width, height] : {std::pair{1, 1}, {3, 5}, {64, 1}, {1, 33}, {101, 77}}) {
    const OwnedBitmap source = RandomDib32(width, height, 7u * width + height);
    ASSERT_TRUE(source);
    const Picture before = WordsFromDib(source.get());
    const OwnedBitmap copy(CopyDib32(source.get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), source.get());
    const BITMAP description = DescriptionOf(copy.get());
    EXPECT_EQ(description.bmWidth, width);
    EXPECT_EQ(description.bmHeight, height);
    EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(copy.get()), before);
    EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(source.get()), before) << "the source must stay as it was";
  }
}

TEST_F(Dib32Test, CopyIsIndependentOfItsSource) {
  const OwnedBitmap source = RandomDib32(9, 4, 11);
  const OwnedBitmap copy(CopyDib32(source.get()));
  ASSERT_TRUE(copy);
  const Picture copied = WordsFromDib(copy.get());
  WritePicture(source.get(), Picture(9, 4, 0xDEADBEEF));
  EXPECT_PRED_FORMAT2(PicturesEqual, WordsFromDib(copy.get()), copied);
}

TEST_F(Dib32Test, CopyRefusesAReleasedHandleAndOtherBitmaps) {
  const HBITMAP released = NewDib32(4, 4).release();
  ASSERT_NE(released, nullptr);
  DeleteObject(released);
  EXPECT_EQ(CopyDib32(released), nullptr);

  // A monochrome bitmap has no pixel memory of ours to copy from.
  const OwnedBitmap mono(CreateBitmap(8, 8, 1, 1, nullptr));
  ASSERT_TRUE(mono);
  EXPECT_EQ(CopyDib32(mono.get()), nullptr);
}

}  // namespace
}  // namespace varne::test
