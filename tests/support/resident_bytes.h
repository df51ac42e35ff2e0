// Resident memory of this process, for the Linux suites' bounds on growth.
// It reads /proc, so only tests that run on Linux include it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <fstream>

namespace varne::test {

inline std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

}  // namespace varne::test
