// Reusing released surfaces' memory: a reused block reads as zeros, a block
// of the same size is reused before a near one is resized, the pool never
// holds more than its limits allow, and a large block is cleared exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/raster/gdi.h"
#include "platform/raster/surface_memory_pool.h"
#include "tests/support/address_sanitizer.h"
#include "tests/support/live_objects.h"
#include "tests/support/resident_bytes.h"
#include "tests/support/section_header.h"

namespace varne::raster {
namespace {

using varne::test::SectionHeader;

constexpr std::size_t kKiB = 1024;

bool AllZero(const std::uint8_t* memory, std::size_t bytes) {
  return std::all_of(memory, memory + bytes, [](std::uint8_t b) { return b == 0; });
}

// The class under test has the suite's natural name.
using SurfaceMemoryPoolTest = test::LeakCheckedTest;

TEST_F(SurfaceMemoryPoolTest, ReusedBlockOfTheSameSizeIsCleared) {
  SurfaceMemoryPool pool(PoolLimits{2, 64 * kKiB, 4 * kKiB});
  std::uint8_t* first = pool.TakeZeroed(8 * kKiB);
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(AllZero(first, 8 * kKiB));
  std::memset(first, 0xA5, 8 * kKiB);
  pool.Give(first, 8 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 1u);
  EXPECT_EQ(pool.HeldBytes(), 8 * kKiB);

  std::uint8_t* other = pool.TakeZeroed(12 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 1u) << "a block of another size is not handed out";
  ASSERT_TRUE(AllZero(other, 12 * kKiB));

  std::uint8_t* again = pool.TakeZeroed(8 * kKiB);
  EXPECT_EQ(again, first) << "the released block is reused";
  EXPECT_TRUE(AllZero(again, 8 * kKiB));
  EXPECT_EQ(pool.HeldBlocks(), 0u);
  EXPECT_EQ(pool.HeldBytes(), 0u);
  pool.Give(again, 8 * kKiB);
  pool.Give(other, 12 * kKiB);
}

// Sizes as a picture's 24-bit section and its 32-bit copies give them.
TEST_F(SurfaceMemoryPoolTest, ANearBlockIsResizedOnlyWhenNoneMatchesAndReadsAsZeros) {
  SurfaceMemoryPool pool(PoolLimits{4, 1024 * kKiB, 4 * kKiB, 64 * kKiB, 16 * kKiB});
  const auto give = [&pool](std::initializer_list<std::size_t> sizes) {
    std::vector<std::uint8_t*> taken;
    for (const std::size_t bytes : sizes) taken.push_back(pool.TakeZeroed(bytes));
    for (std::size_t i = 0; i < taken.size(); ++i) {
      std::memset(taken[i], 0xA5, sizes.begin()[i]);
      pool.Give(taken[i], sizes.begin()[i]);
    }
  };
  give({24 * kKiB, 32 * kKiB, 80 * kKiB});

  std::uint8_t* exact = pool.TakeZeroed(32 * kKiB);
  EXPECT_EQ(pool.HeldBytes(), 104 * kKiB) << "the block of the same size goes first";
  std::uint8_t* grown = pool.TakeZeroed(30 * kKiB);
  EXPECT_EQ(pool.HeldBytes(), 80 * kKiB) << "the nearer 24 KiB block, not 80 KiB, over twice the size";
  EXPECT_TRUE(AllZero(grown, 30 * kKiB));
  std::uint8_t* shrunk = pool.TakeZeroed(48 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 0u);
  EXPECT_TRUE(AllZero(shrunk, 48 * kKiB));

  give({14 * kKiB});
  std::uint8_t* small = pool.TakeZeroed(12 * kKiB);
  EXPECT_EQ(pool.HeldBytes(), 14 * kKiB) << "under the resizing size, only an equal block is reused";
  for (auto [memory, bytes] :
       {std::pair{exact, 32 * kKiB}, {grown, 30 * kKiB}, {shrunk, 48 * kKiB}, {small, 12 * kKiB}}) {
    pool.Give(memory, bytes);
  }
}

TEST_F(SurfaceMemoryPoolTest, HoldsNoMoreThanItsLimits) {
  const PoolLimits limits{3, 40 * kKiB, 4 * kKiB};
  SurfaceMemoryPool pool(limits);
  // Sizes in an order that forces both limits: count, then total bytes.
  const std::vector<std::size_t> sizes = {8, 8, 16, 12, 4, 20, 40, 8, 2, 41, 16, 16, 16, 16};
  std::vector<std::uint8_t*> taken;
  for (const std::size_t k : sizes) taken.push_back(pool.TakeZeroed(k * kKiB));
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    pool.Give(taken[i], sizes[i] * kKiB);
    ASSERT_LE(pool.HeldBlocks(), limits.maxBlocks) << "after giving block " << i;
    ASSERT_LE(pool.HeldBytes(), limits.maxBytes) << "after giving block " << i;
  }
  // The oldest made way: after the 40 KiB block filled the pool alone, only
  // the last two 16 KiB blocks fit together.
  EXPECT_EQ(pool.HeldBlocks(), 2u);
  EXPECT_EQ(pool.HeldBytes(), 32 * kKiB);

  SurfaceMemoryPool none(PoolLimits{2, 64 * kKiB, 4 * kKiB});
  none.Give(none.TakeZeroed(2 * kKiB), 2 * kKiB);
  none.Give(none.TakeZeroed(65 * kKiB), 65 * kKiB);
  EXPECT_EQ(none.HeldBlocks(), 0u) << "too small to keep, or larger than the whole pool";
}

// The idle trim: one block stays, the largest the limit allows, and what
// stays or goes is still handed out correctly afterwards.
TEST_F(SurfaceMemoryPoolTest, TrimKeepsOnlyTheLargestBlockUnderItsLimitAndReuseStillWorks) {
  SurfaceMemoryPool pool(PoolLimits{8, 256 * kKiB, 4 * kKiB});
  const std::vector<std::size_t> sizes = {8, 40, 16, 64, 40, 12};
  std::vector<std::uint8_t*> taken;
  for (const std::size_t k : sizes) taken.push_back(pool.TakeZeroed(k * kKiB));
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    std::memset(taken[i], 0x5C, sizes[i] * kKiB);
    pool.Give(taken[i], sizes[i] * kKiB);
  }
  ASSERT_EQ(pool.HeldBlocks(), sizes.size());

  pool.TrimToOneBlock(48 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 1u);
  EXPECT_EQ(pool.HeldBytes(), 40 * kKiB) << "the 64 KiB block is over the limit";
  std::uint8_t* again = pool.TakeZeroed(40 * kKiB);
  EXPECT_EQ(again, taken[4]) << "the newer of the two equal blocks stays";
  EXPECT_TRUE(AllZero(again, 40 * kKiB));
  EXPECT_EQ(pool.HeldBytes(), 0u);

  std::uint8_t* fresh = pool.TakeZeroed(64 * kKiB);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(AllZero(fresh, 64 * kKiB));
  pool.Give(again, 40 * kKiB);
  pool.Give(fresh, 64 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 2u) << "the pool keeps blocks again after a trim";

  pool.TrimToOneBlock(32 * kKiB);
  EXPECT_EQ(pool.HeldBlocks(), 0u) << "nothing fits under the limit";
  EXPECT_EQ(pool.HeldBytes(), 0u);
}

// The first command after an open finds no block of the picture's size
// held, and its copy fills a fresh one at once. (A size larger than the
// pool holds is left alone: SurfaceAtTheCap.)
TEST_F(SurfaceMemoryPoolTest, AFreshBlockOfASizeHandedOutBeforeComesInResident) {
  if (!varne::test::KernelPopulatesOnRequest()) {
    GTEST_SKIP() << "pages asked for are not brought in here (an emulator ignores the advice)";
  }
  // Over glibc's largest mmap threshold, so each block is a mapping of its
  // own, untouched but for the allocator's header.
  constexpr std::size_t kBytes = std::size_t{40} << 20;
  const std::size_t page = varne::test::PageBytes();
  const auto absentPages = [&](const std::uint8_t* memory) {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(memory) / page * page + page;
    const std::vector<bool> in =
        varne::test::PageResidency(reinterpret_cast<void*>(start), kBytes / page - 1);
    EXPECT_EQ(in.size(), kBytes / page - 1);
    return std::count(in.begin(), in.end(), false);
  };
  SurfaceMemoryPool pool(PoolLimits{1, kBytes, kKiB});
  std::uint8_t* first = pool.TakeZeroed(kBytes);
  std::uint8_t* again = pool.TakeZeroed(kBytes);  // the first is still in use
  ASSERT_TRUE(first != nullptr && again != nullptr);
  // Nearly all: where the system hands out huge pages freely, the
  // allocator's header may have brought in 2 MiB.
  EXPECT_GT(absentPages(first), static_cast<std::ptrdiff_t>(kBytes / page * 9 / 10))
      << "a size not handed out before is left to fault in";
  EXPECT_EQ(absentPages(again), 0);
  EXPECT_TRUE(AllZero(again, kBytes));
  pool.Give(first, kBytes);
  pool.Give(again, kBytes);
}

TEST_F(SurfaceMemoryPoolTest, GivingBackIdleMemoryLeavesAtMostOneSmallBlock) {
  SurfaceMemoryPool& pool = PixelMemory();
  // Released surfaces of 64, 16 and 4 MiB at 32 bpp.
  std::vector<HBITMAP> made;
  for (const LONG side : {4096, 2048, 1024}) {
    const BITMAPINFO info = SectionHeader(side, side);
    void* bits = nullptr;
    made.push_back(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_NE(made.back(), nullptr);
    std::memset(bits, 0x77, std::size_t{4} * side * side);
  }
  for (const HBITMAP bitmap : made) DeleteObject(bitmap);
  ASSERT_GE(pool.HeldBytes(), std::size_t{84} << 20);

  GiveBackIdleMemory();
  EXPECT_EQ(pool.HeldBlocks(), 1u);
  EXPECT_EQ(pool.HeldBytes(), std::size_t{16} << 20) << "the largest block under the idle limit";
  EXPECT_LE(pool.HeldBytes(), kIdleKeepBytes);

  // The next surface of the kept size takes it and reads as zeros.
  const BITMAPINFO info = SectionHeader(2048, 2048);
  void* bits = nullptr;
  const HBITMAP next = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(pool.HeldBlocks(), 0u);
  EXPECT_TRUE(AllZero(static_cast<const std::uint8_t*>(bits), std::size_t{16} << 20));
  DeleteObject(next);
}

TEST_F(SurfaceMemoryPoolTest, ASectionMadeAfterReleasingOneOfItsSizeReadsAsZeros) {
  const BITMAPINFO info = SectionHeader(1024, 768);  // 3 MiB: large enough to be kept
  const std::size_t bytes = 1024u * 768u * 4u;
  void* bits = nullptr;
  HBITMAP first = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(first, nullptr);
  void* const firstBits = bits;
  std::memset(bits, 0xFF, bytes);
  ASSERT_TRUE(DeleteObject(first));
  EXPECT_TRUE(LiveAsAtSetUp()) << "the pool holds memory, not objects";

  HBITMAP second = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(bits, firstBits) << "the released memory is reused";
  EXPECT_TRUE(AllZero(static_cast<const std::uint8_t*>(bits), bytes));
  std::memset(bits, 0xFF, bytes);
  ASSERT_TRUE(DeleteObject(second));

  // A monochrome bitmap of the same byte count also starts clear.
  HBITMAP mask = CreateBitmap(1024 * 32, 768, 1, 1, nullptr);
  ASSERT_NE(mask, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, mask);
  int set = 0;
  for (int y = 0; y < 768; y += 7) {
    for (int x = y % 5; x < 1024 * 32; x += 61) set += GetPixel(dc, x, y) != RGB(0, 0, 0);
  }
  EXPECT_EQ(GetPixel(dc, 1024 * 32 - 1, 767), RGB(0, 0, 0));
  EXPECT_EQ(set, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(mask);
}

// What a Watermark on a 64-megapixel picture gives back: the image it
// replaced, a loaded 24-bit mark and its 32-bit copy, the key and both
// rims. All of it must come back from the pool for the next call, or every
// call at that size pays for fresh pages.
TEST_F(SurfaceMemoryPoolTest, ALargeWatermarksBlocksAreAllKeptForTheNextCall) {
  constexpr LONG kSide = 8000;
  const auto makeAll = [] {
    std::vector<HBITMAP> made;
    for (const WORD bitCount : {WORD{32}, WORD{32}, WORD{24}}) {
      const BITMAPINFO info = SectionHeader(kSide, kSide, bitCount);
      void* bits = nullptr;
      made.push_back(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    for (int mask = 0; mask < 3; ++mask) made.push_back(CreateBitmap(kSide, kSide, 1, 1, nullptr));
    return made;
  };
  const std::size_t bytes = 2 * std::size_t{kSide} * kSide * 4 + std::size_t{kSide} * kSide * 3 +
                            3 * std::size_t{kSide} * kSide / 8;
  SurfaceMemoryPool& pool = PixelMemory();
  for (const HBITMAP made : makeAll()) {
    ASSERT_NE(made, nullptr);
    DeleteObject(made);
  }
  const std::size_t held = pool.HeldBytes();
  ASSERT_GE(held, bytes) << "everything released is held";
  const std::vector<HBITMAP> again = makeAll();
  EXPECT_EQ(pool.HeldBytes(), held - bytes) << "every block is taken from the pool";
  for (const HBITMAP made : again) DeleteObject(made);
}

// A released section's memory stays allocated in the pool, so only the
// pool can tell the sanitizer that a write through a kept pointer into it
// is a use after release: at either end of the block and in between.
TEST(SurfaceMemoryPoolDeathTest, AWriteIntoAReleasedSectionsPixelsIsReported) {
  if (!varne::test::kAddressSanitizer) {
    GTEST_SKIP() << "only AddressSanitizer sees writes into held blocks (sanitize preset)";
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const BITMAPINFO info = SectionHeader(1024, 1024);  // 4 MiB: kept by the pool
  const std::size_t bytes = std::size_t{1024} * 1024 * 4;
  void* bits = nullptr;
  const HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  auto* const pixels = static_cast<volatile std::uint8_t*>(bits);
  pixels[0] = 1;
  pixels[bytes - 1] = 1;
  ASSERT_TRUE(DeleteObject(section));
  ASSERT_GE(PixelMemory().HeldBytes(), bytes) << "the released pixels are held, not freed";
  for (const std::size_t at : {std::size_t{0}, bytes / 2 + 3, bytes - 1}) {
    EXPECT_DEATH(pixels[at] = 0x5A, "use-after-poison") << "byte " << at;
  }

  // Handed out again, the same block is the new section's to write.
  HBITMAP again = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(again, nullptr);
  ASSERT_EQ(static_cast<void*>(const_cast<std::uint8_t*>(pixels)), bits);
  std::memset(bits, 0x5A, bytes);
  ASSERT_TRUE(DeleteObject(again));
}

// Clearing with streaming stores: exactly the bytes asked for become zero,
// whatever the start's place in a cache line and whatever the length, and
// a reused block past the pool's streaming size reads as zeros.
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kSlack = 128;

TEST(ClearBypassingCache, ClearsExactlyTheRangeAtEveryOffsetAndLength) {
  std::vector<std::uint8_t> buffer(8192 + 2 * kSlack);
  // A 64-byte aligned base, so each start offset is one place in a line.
  auto* const base = reinterpret_cast<std::uint8_t*>(
      (reinterpret_cast<std::uintptr_t>(buffer.data()) + kSlack + 63) & ~std::uintptr_t{63});
  const std::size_t lengths[] = {0, 1, 15, 63, 64, 65, 127, 128, 129, 191, 192, 1000, 4096, 8000};
  for (std::size_t offset = 0; offset < 64; ++offset) {
    for (const std::size_t length : lengths) {
      std::fill(buffer.begin(), buffer.end(), kGuard);
      std::uint8_t* const start = base + offset;
      ClearBypassingCache(start, length);
      const auto zero = [](std::uint8_t b) { return b == 0; };
      const auto guard = [](std::uint8_t b) { return b == kGuard; };
      ASSERT_TRUE(std::all_of(start, start + length, zero)) << "offset " << offset << ", " << length;
      ASSERT_TRUE(std::all_of(buffer.data(), start, guard)) << "before, offset " << offset << ", " << length;
      ASSERT_TRUE(std::all_of(start + length, buffer.data() + buffer.size(), guard))
          << "after, offset " << offset << ", " << length;
    }
  }
}

TEST(ClearBypassingCache, PoolClearsLargeReusedBlocksThisWay) {
  constexpr std::size_t kBytes = 40 * 1024 + 24;  // not a whole number of lines
  PoolLimits limits{2, 1 << 20, 4 * 1024};
  limits.streamingClearBytes = 16 * 1024;
  SurfaceMemoryPool pool(limits);
  std::uint8_t* const first = pool.TakeZeroed(kBytes);
  ASSERT_NE(first, nullptr);
  std::memset(first, kGuard, kBytes);
  pool.Give(first, kBytes);
  std::uint8_t* const again = pool.TakeZeroed(kBytes);
  ASSERT_EQ(again, first) << "the block is reused";
  EXPECT_TRUE(std::all_of(again, again + kBytes, [](std::uint8_t b) { return b == 0; }));
  pool.Give(again, kBytes);
}

}  // namespace
}  // namespace varne::raster
