#include "platform/raster/make_resident.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace varne::raster {

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
namespace {

// Below this much, a second thread costs more than it saves.
constexpr std::uintptr_t kShareFromBytes = std::uintptr_t{16} << 20;

std::uintptr_t PageBytes() {
  static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  return page;
}
std::uintptr_t PageDown(std::uintptr_t address) { return address / PageBytes() * PageBytes(); }
std::uintptr_t PageUp(std::uintptr_t address) { return PageDown(address + PageBytes() - 1); }

// Populates the absent runs of the whole pages [at, end). Populating walks
// resident pages too, at a cost near a copy's, so mincore tells which
// pages to ask for.
void PopulateAbsent(std::uintptr_t at, std::uintptr_t end) {
  const std::uintptr_t page = PageBytes();
  unsigned char resident[1024];
  while (at < end) {
    const std::size_t pages = std::min<std::uintptr_t>((end - at) / page, sizeof resident);
    if (::mincore(reinterpret_cast<void*>(at), pages * page, resident) != 0) return;
    for (std::size_t i = 0; i < pages;) {
      std::size_t next = i + 1;
      if ((resident[i] & 1) == 0) {
        while (next < pages && (resident[next] & 1) == 0) ++next;
        ::madvise(reinterpret_cast<void*>(at + i * page), (next - i) * page, MADV_POPULATE_WRITE);
      }
      i = next;
    }
    at += pages * page;
  }
}

}  // namespace
#endif

void MakeResident(void* memory, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t from = PageUp(start);
  const std::uintptr_t to = PageDown(start + bytes);
  if (from >= to) return;
  if (to - from >= kShareFromBytes && std::thread::hardware_concurrency() > 1) {
    const std::uintptr_t middle = PageDown(from + (to - from) / 2);
    try {
      const std::jthread helper(PopulateAbsent, middle, to);
      PopulateAbsent(from, middle);
      return;
    } catch (const std::system_error&) {
      // No second thread: this one takes the whole range.
    }
  }
  PopulateAbsent(from, to);
#else
  (void)memory;
  (void)bytes;
#endif
}

}  // namespace varne::raster
