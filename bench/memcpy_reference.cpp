#include "bench/memcpy_reference.h"

#include <algorithm>
#include <cstring>

#include <sys/mman.h>

namespace varne::bench {

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A new anonymous mapping, so the copy pays for first touching every page.
// Not malloc: below its adaptive mapping threshold (up to 32 MiB) it may hand
// back memory that was touched before.
double FreshCopySeconds(const std::uint8_t* from, std::size_t bytes) {
  double best = 1e30;
  for (int round = 0; round < 2; ++round) {
    void* mapping = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return 0;
    auto* to = static_cast<std::uint8_t*>(mapping);
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to, from, bytes);
    benchmark::DoNotOptimize(to);
    benchmark::ClobberMemory();
    best = std::min(best, Seconds(start));
    munmap(mapping, bytes);
  }
  return best;
}

}  // namespace

MemcpyReference::MemcpyReference(benchmark::State& state, std::size_t bytes)
    : state_(state),
      bytes_(bytes),
      from_(new std::uint8_t[bytes]),
      to_(new std::uint8_t[bytes]) {
  std::memset(from_.get(), 0x5A, bytes_);
  std::memset(to_.get(), 0, bytes_);
}

double MemcpyReference::TouchedCopySeconds() {
  const auto start = std::chrono::steady_clock::now();
  std::memcpy(to_.get(), from_.get(), bytes_);
  benchmark::DoNotOptimize(to_.get());
  benchmark::ClobberMemory();
  return Seconds(start);
}

MemcpyReference::~MemcpyReference() {
  if (memcpySeconds_ <= 0 || operationSeconds_ <= 0) return;
  const double iterations = static_cast<double>(state_.iterations());
  const double fresh = FreshCopySeconds(from_.get(), bytes_);
  state_.counters["x_memcpy"] = operationSeconds_ / memcpySeconds_;
  state_.counters["memcpy_ms"] = memcpySeconds_ / iterations * 1e3;
  state_.counters["fresh_ms"] = fresh * 1e3;
  if (fresh > 0) state_.counters["x_fresh"] = operationSeconds_ / iterations / fresh;
}

}  // namespace varne::bench
