// Every benchmark reports its time as a ratio to a memcpy of the same bytes
// measured in the same run, interleaved with it, so the figures survive a
// machine whose other tenants come and go.
//
// Counters:
//   x_memcpy  the operation's time over a memcpy into already-touched memory
//   memcpy_ms that memcpy
//   fresh_ms  a memcpy into freshly allocated memory (first-touch page faults)
//   x_fresh   the operation's time over the fresh memcpy
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace varne::bench {

class MemcpyReference {
 public:
  MemcpyReference(benchmark::State& state, std::size_t bytes);
  MemcpyReference(const MemcpyReference&) = delete;
  MemcpyReference& operator=(const MemcpyReference&) = delete;
  ~MemcpyReference();

  // Times op as one iteration (manual time), then one reference memcpy.
  // The timed part's total so far.
  double OperationSeconds() const { return operationSeconds_; }

  template <typename Op>
  void Time(Op op) {
    const auto start = std::chrono::steady_clock::now();
    op();
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    state_.SetIterationTime(seconds);
    operationSeconds_ += seconds;
    memcpySeconds_ += TouchedCopySeconds();
  }

 private:
  double TouchedCopySeconds();

  benchmark::State& state_;
  std::size_t bytes_;
  std::unique_ptr<std::uint8_t[]> from_;
  std::unique_ptr<std::uint8_t[]> to_;
  double operationSeconds_ = 0;
  double memcpySeconds_ = 0;
};

// Bytes of a 32-bpp image.
inline std::size_t ImageBytes(std::int64_t width, std::int64_t height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace varne::bench
