// Making fresh pages resident ahead of a write: every whole page asked for
// comes in, whether the two threads share one run or many, what the pages
// held stays, and pages only partly inside the range are left alone; and
// filling a range piece by piece, each piece's pages in before it is filled.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/raster/make_resident.h"
#include "tests/support/resident_bytes.h"

namespace varne::raster {
namespace {

using varne::test::KernelPopulatesOnRequest;
using varne::test::PageResidency;

const std::size_t kPage = varne::test::PageBytes();

TEST(MakeResident, BringsInEveryWholePageAndKeepsWhatTheyHeld) {
  if (!KernelPopulatesOnRequest()) {
    GTEST_SKIP() << "pages asked for are not brought in here (an emulator ignores the advice)";
  }
  // 48 MiB is shared between two threads; 1 MiB is not.
  for (const std::size_t pages : {std::size_t{12288}, std::size_t{256}}) {
    SCOPED_TRACE(pages);
    void* mapping = ::mmap(nullptr, pages * kPage, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    // Pages one by one, even where the system hands out huge ones freely.
    ::madvise(mapping, pages * kPage, MADV_NOHUGEPAGE);
    auto* const memory = static_cast<std::uint8_t*>(mapping);
    // Touched pages among the first, so the absent ones form many short
    // runs and then one long one, inside which the threads' halves meet.
    for (std::size_t i = 2; i < 64; i += 3) {
      memory[i * kPage + 1] = static_cast<std::uint8_t>(i | 1);
    }
    const std::vector<bool> before = PageResidency(memory, pages);
    ASSERT_EQ(before.size(), pages);

    MakeResident(memory + 100, pages * kPage - 200);

    const std::vector<bool> after = PageResidency(memory, pages);
    ASSERT_EQ(after.size(), pages);
    for (std::size_t i = 1; i + 1 < pages; ++i) ASSERT_TRUE(after[i]) << "page " << i;
    EXPECT_FALSE(after[0]) << "the first page is only partly inside";
    EXPECT_FALSE(after[pages - 1]) << "the last page is only partly inside";
    for (std::size_t i = 0; i < pages; ++i) {
      const std::uint8_t held = before[i] ? static_cast<std::uint8_t>(i | 1) : 0;
      ASSERT_EQ(memory[i * kPage + 1], held) << "page " << i;
    }
    ::munmap(mapping, pages * kPage);
  }
}

// Pieces that do not end on a page, so pages straddle them, over 40 MiB
// of absent pages (shared with the helper) and over 1 MiB (one call).
TEST(FillResident, FillsThePiecesInOrderEachWithItsPagesIn) {
  if (!KernelPopulatesOnRequest()) {
    GTEST_SKIP() << "pages asked for are not brought in here (an emulator ignores the advice)";
  }
  constexpr std::size_t kPiece = (std::size_t{3} << 20) + 100;
  for (const std::size_t pages : {std::size_t{10240}, std::size_t{256}}) {
    // With one processor there is no helper, and the range is one piece.
    const bool shared = pages > 256 && std::thread::hardware_concurrency() > 1;
    for (const std::size_t stopAfter : {std::size_t{0}, std::size_t{3}}) {
      SCOPED_TRACE(::testing::Message() << pages << " pages, stop after " << stopAfter);
      void* mapping = ::mmap(nullptr, pages * kPage, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      ASSERT_NE(mapping, MAP_FAILED);
      // Pages one by one, even where the system hands out huge ones freely.
      ::madvise(mapping, pages * kPage, MADV_NOHUGEPAGE);
      auto* const memory = static_cast<std::uint8_t*>(mapping);
      const std::size_t bytes = pages * kPage - 200;
      std::size_t filled = 0;
      std::size_t calls = 0;
      FillResident(memory + 100, bytes, kPiece, [&](std::size_t offset, std::size_t count) {
        EXPECT_EQ(offset, filled) << "pieces in order, none skipped";
        EXPECT_EQ(count, shared ? std::min(kPiece, bytes - offset) : bytes);
        // Every page the piece touches but the range's two partial ends,
        // which only the last piece's own writes bring in.
        const std::size_t first = std::max<std::size_t>((100 + offset) / kPage, 1);
        const std::size_t end = std::min((100 + offset + count - 1) / kPage + 1, pages - 1);
        const std::vector<bool> in = PageResidency(memory + first * kPage, end - first);
        EXPECT_EQ(in.size(), end - first);
        EXPECT_EQ(std::count(in.begin(), in.end(), false), 0) << "piece at " << offset;
        EXPECT_FALSE(PageResidency(memory + (pages - 1) * kPage, 1).at(0)) << "the partial last page";
        std::memset(memory + 100 + offset, 0x5A, count);
        filled += count;
        return ++calls != stopAfter;
      });
      EXPECT_EQ(filled, stopAfter != 0 && shared ? 3 * kPiece : bytes);
      ::munmap(mapping, pages * kPage);
    }
  }
}

}  // namespace
}  // namespace varne::raster
