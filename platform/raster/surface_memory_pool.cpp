#include "platform/raster/surface_memory_pool.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace varne::raster {

namespace {

// Enough for a command's copy and a mask or two of a large picture; what
// the pool holds while idle stays under half a gigabyte.
constexpr PoolLimits kProcessLimits{4, std::size_t{512} << 20, std::size_t{1} << 20};

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::uint8_t* NewZeroed(std::size_t bytes) {
  auto* memory = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
  // With transparent huge pages in madvise mode, a large block faults in
  // 2 MiB at a time rather than 4 KiB; only whole huge pages inside the
  // block are advised.
  if (memory != nullptr && bytes >= 4 * kHugePage) {
    const auto start = (reinterpret_cast<std::uintptr_t>(memory) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(memory) + bytes) & ~(kHugePage - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
  return memory;
}

}  // namespace

// Room for every block up front, so keeping one never allocates.
SurfaceMemoryPool::SurfaceMemoryPool(PoolLimits limits) : limits_(limits) {
  blocks_.reserve(limits.maxBlocks);
}

SurfaceMemoryPool::~SurfaceMemoryPool() {
  while (!blocks_.empty()) FreeOldest();
}

std::uint8_t* SurfaceMemoryPool::TakeZeroed(std::size_t bytes) {
  for (std::size_t i = blocks_.size(); i-- > 0;) {
    if (blocks_[i].bytes != bytes) continue;
    std::uint8_t* memory = blocks_[i].memory;
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
    heldBytes_ -= bytes;
    std::memset(memory, 0, bytes);
    return memory;
  }
  return NewZeroed(bytes);
}

void SurfaceMemoryPool::Give(std::uint8_t* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes < limits_.minBlockBytes || bytes > limits_.maxBytes || limits_.maxBlocks == 0) {
    std::free(memory);
    return;
  }
  while (blocks_.size() >= limits_.maxBlocks || heldBytes_ + bytes > limits_.maxBytes) FreeOldest();
  blocks_.push_back(Block{memory, bytes});
  heldBytes_ += bytes;
}

void SurfaceMemoryPool::FreeOldest() {
  std::free(blocks_.front().memory);
  heldBytes_ -= blocks_.front().bytes;
  blocks_.erase(blocks_.begin());
}

SurfaceMemoryPool& PixelMemory() {
  // Never destroyed: surfaces still held by other statics give their
  // memory back during exit.
  static auto* pool = new SurfaceMemoryPool(kProcessLimits);
  return *pool;
}

}  // namespace varne::raster
