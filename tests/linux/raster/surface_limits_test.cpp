// The size cap and the overflow-checked byte counts, and that every way of
// asking for a surface goes through them.
#include <gtest/gtest.h>

#include <climits>

#include "platform/raster/gdi.h"
#include "platform/raster/surface_limits.h"
#include "tests/support/live_objects.h"
#include "tests/support/section_header.h"

namespace varne::raster {
namespace {

using SurfaceLimits = test::LeakCheckedTest;

TEST_F(SurfaceLimits, RowsArePaddedTo32Bits) {
  EXPECT_EQ(CheckedRowBytes(1, 1), 4u);
  EXPECT_EQ(CheckedRowBytes(32, 1), 4u);
  EXPECT_EQ(CheckedRowBytes(33, 1), 8u);
  EXPECT_EQ(CheckedRowBytes(7, 4), 4u);
  EXPECT_EQ(CheckedRowBytes(5, 8), 8u);
  EXPECT_EQ(CheckedRowBytes(3, 16), 8u);
  EXPECT_EQ(CheckedRowBytes(3, 24), 12u);
  EXPECT_EQ(CheckedRowBytes(3, 32), 12u);
  EXPECT_EQ(CheckedRowBytes(kMaxSurfaceDimension, 32), 4u * kMaxSurfaceDimension);
}

TEST_F(SurfaceLimits, RefusesWidthsAndDepthsOutOfRange) {
  EXPECT_FALSE(CheckedRowBytes(0, 32));
  EXPECT_FALSE(CheckedRowBytes(-1, 32));
  EXPECT_FALSE(CheckedRowBytes(kMaxSurfaceDimension + 1, 1));
  EXPECT_FALSE(CheckedRowBytes(INT64_MAX, 32));
  EXPECT_FALSE(CheckedRowBytes(10, 0));
  EXPECT_FALSE(CheckedRowBytes(10, 2));
  EXPECT_FALSE(CheckedRowBytes(10, 64));
}

TEST_F(SurfaceLimits, TotalIsCappedExactlyAtTheLimit) {
  // 16384 x 16384 x 4 bytes is exactly 1 GiB.
  EXPECT_EQ(CheckedSurfaceBytes(16384, 16384, 32), kMaxSurfaceBytes);
  EXPECT_FALSE(CheckedSurfaceBytes(16384, 16385, 32));
  EXPECT_EQ(CheckedSurfaceBytes(3, 5, 24), 60u);
  EXPECT_FALSE(CheckedSurfaceBytes(3, 0, 24));
  EXPECT_FALSE(CheckedSurfaceBytes(3, -5, 24));
  EXPECT_FALSE(CheckedSurfaceBytes(kMaxSurfaceDimension, kMaxSurfaceDimension, 32));
  EXPECT_FALSE(CheckedSurfaceBytes(INT64_MAX, INT64_MAX, 32));
}

using varne::test::SectionHeader;

TEST_F(SurfaceLimits, SurfacesBeyondTheCapAreNone) {
  void* memory = reinterpret_cast<void*>(1);
  for (const BITMAPINFO& info : {SectionHeader(16384, 16385), SectionHeader(INT_MAX, 1),
                                 SectionHeader(1, INT_MIN), SectionHeader(INT_MAX, INT_MAX, 1),
                                 SectionHeader(-4, 4)}) {
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0), nullptr)
        << info.bmiHeader.biWidth << "x" << info.bmiHeader.biHeight;
    EXPECT_EQ(memory, nullptr);
  }
  EXPECT_EQ(CreateBitmap(INT_MAX, INT_MAX, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(kMaxSurfaceDimension + 1, 1, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 5, 1, 1, nullptr), nullptr);
}

TEST_F(SurfaceLimits, ExtremeBlitCoordinatesClipInsteadOfOverflowing) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
  const HGDIOBJ old = SelectObject(dc, mask);
  EXPECT_TRUE(PatBlt(dc, INT_MAX, INT_MAX, INT_MAX, INT_MAX, WHITENESS));
  EXPECT_TRUE(PatBlt(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, WHITENESS));
  EXPECT_TRUE(BitBlt(dc, 0, 0, INT_MAX, INT_MAX, dc, INT_MIN, INT_MAX, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc, INT_MIN, 0, INT_MIN, 8, dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc, INT_MAX, INT_MIN, INT_MIN, INT_MIN, dc, INT_MIN, INT_MIN, NOTSRCCOPY));
  EXPECT_EQ(GetPixel(dc, 7, 7), 0u) << "nothing lies inside either rectangle";
  SelectObject(dc, old);
  DeleteObject(mask);
  DeleteDC(dc);
}

}  // namespace
}  // namespace varne::raster
