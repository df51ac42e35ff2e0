#include "platform/raster/make_resident.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace varne::raster {

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
namespace {

struct Run {
  std::uintptr_t start;
  std::uintptr_t end;
};

// The runs of pages in [at, end) that are not resident. Populating walks
// resident pages too (11-22 ms over 244 MiB of them here), so only these
// are asked for; mincore tells which in about 0.2 ms.
std::vector<Run> AbsentRuns(std::uintptr_t at, std::uintptr_t end, std::uintptr_t page) {
  std::vector<Run> runs;
  unsigned char resident[1024];
  while (at < end) {
    const std::size_t pages = std::min<std::uintptr_t>((end - at) / page, sizeof resident);
    if (::mincore(reinterpret_cast<void*>(at), pages * page, resident) != 0) return {};
    for (std::size_t i = 0; i < pages; ++i) {
      if ((resident[i] & 1) != 0) continue;
      const std::uintptr_t start = at + i * page;
      if (!runs.empty() && runs.back().end == start) {
        runs.back().end += page;
      } else {
        runs.push_back({start, start + page});
      }
    }
    at += pages * page;
  }
  return runs;
}

void Populate(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    ::madvise(reinterpret_cast<void*>(run.start), run.end - run.start, MADV_POPULATE_WRITE);
  }
}

// Splits off the runs past half of the absent bytes, cutting a run at a
// page if the half falls inside it.
std::vector<Run> SecondHalf(std::vector<Run>& runs, std::uintptr_t absent, std::uintptr_t page) {
  std::uintptr_t left = absent / 2 / page * page;
  std::size_t i = 0;
  while (i < runs.size() && runs[i].end - runs[i].start <= left) {
    left -= runs[i].end - runs[i].start;
    ++i;
  }
  std::vector<Run> second(runs.begin() + static_cast<std::ptrdiff_t>(i), runs.end());
  runs.resize(i);
  if (!second.empty() && left > 0) {
    runs.push_back({second.front().start, second.front().start + left});
    second.front().start += left;
  }
  return second;
}

// Two threads fault pages in faster than one (62-68 against 97-133 ms for
// 244 MiB on two vCPUs); below this much the second one is not worth
// starting.
constexpr std::uintptr_t kShareFromBytes = std::uintptr_t{16} << 20;

std::uintptr_t PageBytes() {
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  return page;
}
std::uintptr_t PageDown(std::uintptr_t address) { return address / PageBytes() * PageBytes(); }
std::uintptr_t PageUp(std::uintptr_t address) { return PageDown(address + PageBytes() - 1); }

std::uintptr_t Bytes(const std::vector<Run>& runs) {
  std::uintptr_t bytes = 0;
  for (const Run& run : runs) bytes += run.end - run.start;
  return bytes;
}

// The whole pages of [at, end) that are not resident, or none when the
// list cannot be had.
std::vector<Run> AbsentRunsOrNone(std::uintptr_t at, std::uintptr_t end) {
  try {
    return at < end ? AbsentRuns(at, end, PageBytes()) : std::vector<Run>{};
  } catch (const std::exception&) {
    return {};
  }
}

std::vector<Run> AbsentWholePages(void* memory, std::size_t bytes) {
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  return AbsentRunsOrNone(PageUp(start), PageDown(start + bytes));
}

// With much absent, a helper takes the second half. Where memory for the
// split or a thread cannot be had, the pages fault in as they are written.
void BringIn(std::vector<Run> runs) {
  const std::uintptr_t absent = Bytes(runs);
  if (absent < kShareFromBytes || std::thread::hardware_concurrency() < 2) {
    Populate(runs);
    return;
  }
  try {
    const std::vector<Run> second = SecondHalf(runs, absent, PageBytes());
    std::thread helper(Populate, std::cref(second));
    Populate(runs);
    helper.join();
  } catch (const std::exception&) {
  }
}

// FillResident's shared form. False, having filled nothing, when the
// helper or its bookkeeping cannot be had.
bool FillSharingFaults(std::uintptr_t start, std::size_t bytes, std::size_t pieceBytes,
                       std::size_t pieces, const FillPiece& fill) {
  const std::uintptr_t lastWhole = PageDown(start + bytes);
  // A piece brings in the whole pages that begin inside it, so a page that
  // straddles two is in before the first of them is filled.
  const auto bringInPiece = [&](std::size_t i) {
    const std::uintptr_t from = PageUp(start + i * pieceBytes);
    const std::uintptr_t pieceEnd = start + std::min(bytes, (i + 1) * pieceBytes);
    const std::uintptr_t to = std::min(PageUp(pieceEnd), lastWhole);
    Populate(AbsentRunsOrNone(from, to));
  };
  enum : unsigned char { kFree, kClaimed, kIn };
  std::vector<std::atomic<unsigned char>> state;
  std::atomic<bool> stop{false};
  std::jthread helper;
  try {
    state = std::vector<std::atomic<unsigned char>>(pieces);
    helper = std::jthread([&] {
      for (std::size_t i = pieces; i-- > 1 && !stop.load(std::memory_order_relaxed);) {
        unsigned char free = kFree;
        if (!state[i].compare_exchange_strong(free, kClaimed)) return;
        bringInPiece(i);
        state[i].store(kIn, std::memory_order_release);
        state[i].notify_one();
      }
    });
  } catch (const std::exception&) {
    return false;
  }
  // However the caller's pieces end, the helper stops before it is joined.
  struct StopOnExit {
    std::atomic<bool>& stop;
    ~StopOnExit() { stop.store(true, std::memory_order_relaxed); }
  } stopOnExit{stop};
  for (std::size_t i = 0; i < pieces; ++i) {
    unsigned char free = kFree;
    if (state[i].compare_exchange_strong(free, kClaimed)) {
      bringInPiece(i);
    } else {
      state[i].wait(kClaimed, std::memory_order_acquire);
    }
    const std::size_t offset = i * pieceBytes;
    if (!fill(offset, std::min(pieceBytes, bytes - offset))) break;
  }
  return true;
}

}  // namespace
#endif

void MakeResident(void* memory, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  BringIn(AbsentWholePages(memory, bytes));
#else
  (void)memory;
  (void)bytes;
#endif
}

void FillResident(void* memory, std::size_t bytes, std::size_t pieceBytes, const FillPiece& fill) {
  if (bytes == 0) return;
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  pieceBytes = std::clamp<std::size_t>(pieceBytes, 1, bytes);
  const std::size_t pieces = (bytes - 1) / pieceBytes + 1;
  std::vector<Run> runs = AbsentWholePages(memory, bytes);
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  if (Bytes(runs) >= kShareFromBytes && pieces > 1 && std::thread::hardware_concurrency() > 1 &&
      FillSharingFaults(start, bytes, pieceBytes, pieces, fill)) {
    return;
  }
  BringIn(std::move(runs));
#else
  (void)memory;
  (void)pieceBytes;
#endif
  fill(0, bytes);
}

}  // namespace varne::raster
