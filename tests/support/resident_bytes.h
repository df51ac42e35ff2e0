// Resident memory of this process, for the Linux suites' bounds on growth,
// and of single pages. It reads /proc and asks mincore, so only tests that
// run on Linux include it.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace varne::test {

inline std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

inline std::size_t PageBytes() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }

// Whether each of the `pages` pages from `memory` (page-aligned) is in.
inline std::vector<bool> PageResidency(const void* memory, std::size_t pages) {
  std::vector<unsigned char> vector(pages);
  if (::mincore(const_cast<void*>(memory), pages * PageBytes(), vector.data()) != 0) return {};
  std::vector<bool> resident(pages);
  for (std::size_t i = 0; i < pages; ++i) resident[i] = (vector[i] & 1) != 0;
  return resident;
}

// Whether this kernel populates on request at all: an emulator such as
// qemu-user accepts the advice and ignores it.
inline bool KernelPopulatesOnRequest() {
  void* page =
      ::mmap(nullptr, PageBytes(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return false;
  std::vector<bool> resident;
  if (::madvise(page, PageBytes(), MADV_POPULATE_WRITE) == 0) resident = PageResidency(page, 1);
  ::munmap(page, PageBytes());
  return !resident.empty() && resident[0];
}

}  // namespace varne::test
