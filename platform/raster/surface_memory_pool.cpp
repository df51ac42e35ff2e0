#include "platform/raster/surface_memory_pool.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/raster/clear_bypassing_cache.h"

namespace varne::raster {

namespace {

// Enough for what one mask effect on a 64-megapixel picture releases: the
// image it replaced, its result's rims and key, a loaded second picture
// and its 32-bit copy, about 700 MiB in six blocks. With half of that, the
// blocks of each call pushed out the next call's and every Watermark at
// that size ran on fresh pages. Idle, the pool holds at most this much;
// a block larger than all of it (a surface near the 1 GiB cap) is freed.
constexpr PoolLimits kProcessLimits{8, std::size_t{768} << 20, std::size_t{1} << 20};

// Fresh blocks are ordinary pages, without transparent huge pages: on a
// virtual machine whose kernel reports freed memory to the host, a first
// 256 MB surface in huge pages took 1.7-2.3 s against 0.17-0.19 s in 4 KiB
// pages (docs/performance.md).
std::uint8_t* NewZeroed(std::size_t bytes) { return static_cast<std::uint8_t*>(std::calloc(bytes, 1)); }

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
    if (bytes >= limits_.streamingClearBytes) {
      ClearBypassingCache(memory, bytes);
    } else {
      std::memset(memory, 0, bytes);
    }
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

void SurfaceMemoryPool::TrimToOneBlock(std::size_t keepAtMostBytes) {
  std::size_t kept = blocks_.size();
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const std::size_t bytes = blocks_[i].bytes;
    if (bytes <= keepAtMostBytes && (kept == blocks_.size() || bytes >= blocks_[kept].bytes)) kept = i;
  }
  for (std::size_t i = blocks_.size(); i-- > 0;) {
    if (i == kept) continue;
    std::free(blocks_[i].memory);
    heldBytes_ -= blocks_[i].bytes;
  }
  if (kept < blocks_.size()) {
    const Block keep = blocks_[kept];
    blocks_.assign(1, keep);
  } else {
    blocks_.clear();
  }
}

void SurfaceMemoryPool::FreeOldest() {
  std::free(blocks_.front().memory);
  heldBytes_ -= blocks_.front().bytes;
  blocks_.erase(blocks_.begin());
}

void GiveBackIdleMemory() {
  PixelMemory().TrimToOneBlock(kIdleKeepBytes);
  // Blocks under glibc's mmap threshold, and the layer's small objects,
  // live in the heap, whose free pages stay resident until trimmed.
  malloc_trim(0);
}

SurfaceMemoryPool& PixelMemory() {
  // Never destroyed: surfaces still held by other statics give their
  // memory back during exit.
  static auto* pool = new SurfaceMemoryPool(kProcessLimits);
  return *pool;
}

}  // namespace varne::raster
