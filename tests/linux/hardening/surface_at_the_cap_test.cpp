// The largest surfaces the layer agrees to make: exactly at the byte cap
// they exist and work at their far corners without the process paying for
// memory nobody wrote; one row past it they are refused and leave nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>

#include "effects/geometry/rotate_dib.h"
#include "image/dib32.h"
#include "platform/raster/surface_limits.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/resident_bytes.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

constexpr std::int64_t kCap = std::int64_t{1} << 30;  // bytes
constexpr std::int64_t kSideCap = std::int64_t{1} << 20;

static_assert(kCap == static_cast<std::int64_t>(raster::kMaxSurfaceBytes));
static_assert(kSideCap == raster::kMaxSurfaceDimension);

struct Shape {
  std::int64_t width;
  std::int64_t height;  // negative: top-down
  int bits;
};

std::int64_t PaddedBytes(const Shape& shape) {
  const std::int64_t row = (shape.width * shape.bits + 31) / 32 * 4;
  return row * std::llabs(shape.height);
}

HBITMAP Section(const Shape& shape, void** bits) {
  const SectionHeaderWithColours info = SectionHeaderWithTable(
      static_cast<LONG>(shape.width), static_cast<LONG>(shape.height), static_cast<WORD>(shape.bits));
  return CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, bits, nullptr, 0);
}

// The frame RotateDib needs for a w x h image at 45 degrees, worked out
// with the library's rounding rather than the effect's own.
std::pair<std::int64_t, std::int64_t> TurnedFrame(std::int64_t w, std::int64_t h) {
  const TurnFrame frame = ModelTurnFrame(w, h, DegreesToRadians(45));
  return {frame.width, frame.height};
}

using SurfaceAtTheCap = LeakCheckedTest;

TEST_F(SurfaceAtTheCap, SectionsOfExactlyTheCapAreMadeWithoutTouchingTheirMemory) {
  for (const Shape shape : {Shape{16384, 16384, 32}, Shape{kSideCap, 256, 32},
                            Shape{256, -kSideCap, 32}, Shape{kSideCap, 1024, 8}}) {
    SCOPED_TRACE(::testing::Message() << shape.width << " x " << shape.height << " at "
                                      << shape.bits);
    ASSERT_EQ(PaddedBytes(shape), kCap);
    const std::int64_t residentBefore = ResidentBytes();
    void* bits = nullptr;
    const HBITMAP section = Section(shape, &bits);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    // A new section reads as zero; the operating system gives zero pages
    // for free, so making one must not cost its size in resident memory.
    const std::int64_t grown = ResidentBytes() - residentBefore;
    EXPECT_LT(grown, std::int64_t{64} << 20) << "a new section's memory was touched";
    RecordProperty("resident_growth_kib_" + std::to_string(shape.width) + "x" +
                       std::to_string(shape.height),
                   static_cast<int>(grown >> 10));

    BITMAP record{};
    ASSERT_EQ(GetObjectA(section, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, shape.width);
    EXPECT_EQ(record.bmHeight, std::llabs(shape.height));
    auto* const bytes = static_cast<std::uint8_t*>(bits);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[kCap - 1], 0);

    if (shape.bits == 32) {
      // The first and the last word in memory, seen through the raster layer
      // at the corners where the row order puts them.
      auto* const words = static_cast<DWORD*>(bits);
      words[0] = 0x00123456;
      words[kCap / 4 - 1] = 0x00ABCDEF;
      const bool topDown = shape.height < 0;
      const int last = static_cast<int>(std::llabs(shape.height) - 1);
      const int right = static_cast<int>(shape.width - 1);
      const HDC dc = CreateCompatibleDC(nullptr);
      const HGDIOBJ previous = SelectObject(dc, section);
      EXPECT_EQ(GetPixel(dc, 0, topDown ? 0 : last), RGB(0x12, 0x34, 0x56));
      EXPECT_EQ(GetPixel(dc, right, topDown ? last : 0), RGB(0xAB, 0xCD, 0xEF));
      // The raster layer writes at the far end of the memory too.
      EXPECT_EQ(PatBlt(dc, right - 1, topDown ? last : 0, 2, 1, WHITENESS), TRUE);
      SelectObject(dc, previous);
      DeleteDC(dc);
      EXPECT_EQ(words[kCap / 4 - 2] & 0x00FFFFFF, 0x00FFFFFFu);
      EXPECT_EQ(words[kCap / 4 - 1] & 0x00FFFFFF, 0x00FFFFFFu);
      EXPECT_EQ(words[kCap / 4 - 3], 0u) << "the rectangle stops where it was asked to";
    }
    EXPECT_EQ(DeleteObject(section), TRUE);
  }
}

TEST_F(SurfaceAtTheCap, OneRowOrColumnPastTheCapIsRefusedAndLeavesNothing) {
  for (const Shape shape : {Shape{16384, 16385, 32}, Shape{16385, 16384, 32},
                            Shape{16384, -16385, 32}, Shape{kSideCap, 257, 32},
                            Shape{kSideCap + 1, 1, 1}, Shape{1, kSideCap + 1, 1},
                            Shape{kSideCap, 1025, 8}, Shape{21846, 16384, 24}}) {
    SCOPED_TRACE(::testing::Message() << shape.width << " x " << shape.height << " at "
                                      << shape.bits);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(Section(shape, &bits), nullptr);
    EXPECT_EQ(bits, nullptr) << "a refused section has no memory";
    EXPECT_TRUE(LiveAsAtSetUp());
  }
  const HDC screen = GetDC(nullptr);
  EXPECT_EQ(CreateDib32(screen, 16384, 16385), nullptr);
  EXPECT_EQ(CreateDib32(screen, 16385, 16384), nullptr);
  ReleaseDC(nullptr, screen);
}

TEST_F(SurfaceAtTheCap, ATurnWhoseFrameWouldPassTheCapGivesNoneAndLeavesOnlyTheSource) {
  // The largest square whose frame at 45 degrees still fits, found from
  // the frame formula; one pixel more and the frame is too large.
  std::int64_t fits = 11000;
  while (true) {
    const auto [w, h] = TurnedFrame(fits + 1, fits + 1);
    if (w * h * 4 > kCap) break;
    ++fits;
  }
  {
    const auto [w, h] = TurnedFrame(fits, fits);
    ASSERT_LE(w * h * 4, kCap);
    RecordProperty("largest_turnable_square", static_cast<int>(fits));
  }
  for (const std::int64_t side : {fits + 1, std::int64_t{16384}}) {
    SCOPED_TRACE(::testing::Message() << side << " x " << side);
    const HDC screen = GetDC(nullptr);
    const HBITMAP source = CreateDib32(screen, static_cast<int>(side), static_cast<int>(side));
    ReleaseDC(nullptr, screen);
    ASSERT_NE(source, nullptr);
    const std::int64_t residentBefore = ResidentBytes();
    EXPECT_EQ(RotateDib(source, DegreesToRadians(45), 0x00C0C0C0), nullptr);
    EXPECT_LT(ResidentBytes() - residentBefore, std::int64_t{64} << 20)
        << "a refused turn reads or writes nothing";
    EXPECT_TRUE(LiveAsAtSetUp(1)) << "only the source";
    EXPECT_EQ(DeleteObject(source), TRUE);
  }
}

}  // namespace
}  // namespace varne::test
