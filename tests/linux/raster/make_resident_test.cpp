// Making fresh pages resident ahead of a write: every whole page asked for
// comes in, whether the two threads share one run or many, what the pages
// held stays, and pages only partly inside the range are left alone.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
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

}  // namespace
}  // namespace varne::raster
