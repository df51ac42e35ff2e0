#include "platform/raster/surface_memory_pool.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/raster/clear_bypassing_cache.h"
#include "platform/raster/make_resident.h"

#if defined(__SANITIZE_ADDRESS__)
#define VARNE_POISON_POOL 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNE_POISON_POOL 1
#endif
#endif
#if defined(VARNE_POISON_POOL)
#include <sanitizer/asan_interface.h>
#endif

namespace varne::raster {

namespace {

// Enough for what one mask effect on a 64-megapixel picture releases: the
// image it replaced, its result's rims and key, a loaded second picture
// and its 32-bit copy, about 700 MiB in six blocks. With half of that, the
// blocks of each call pushed out the next call's and every Watermark at
// that size ran on fresh pages. Idle, the pool holds at most this much;
// a block larger than all of it (a surface near the 1 GiB cap) is freed.
constexpr PoolLimits kProcessLimits{8, std::size_t{768} << 20, std::size_t{1} << 20};

// Fresh blocks are ordinary pages, without transparent huge pages. On this
// kind of virtual machine, whose kernel reports free 2 MiB blocks to the
// host, huge pages come from exactly that reported memory: a first memcpy
// of a 64 MP picture into fresh huge pages took 2.4-2.8 s when memory had
// been free for a few seconds, against 0.17-0.21 s in 4 KiB pages (53 ms
// against 200 ms only when the memory had just been freed). A program
// started after a pause, and a command after the idle trim, meet the
// first case (docs/performance.md).
std::uint8_t* NewZeroed(std::size_t bytes) { return static_cast<std::uint8_t*>(std::calloc(bytes, 1)); }

// A held block still belongs to the allocator's view of a live allocation,
// so a write through a pointer into a released surface would go unseen by
// AddressSanitizer. Under it, a block is poisoned while the pool holds it;
// it is unpoisoned when it is handed out or goes back to the system.
void MarkHeld(std::uint8_t* memory, std::size_t bytes) {
#if defined(VARNE_POISON_POOL)
  ASAN_POISON_MEMORY_REGION(memory, bytes);
#else
  (void)memory;
  (void)bytes;
#endif
}

void MarkInUse(std::uint8_t* memory, std::size_t bytes) {
#if defined(VARNE_POISON_POOL)
  ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#else
  (void)memory;
  (void)bytes;
#endif
}

void FreeHeld(std::uint8_t* memory, std::size_t bytes) {
  MarkInUse(memory, bytes);
  std::free(memory);
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
  largestTaken_ = std::max(largestTaken_, bytes);
  const bool takenBefore = NoteTaken(bytes);
  const std::size_t i = HeldBlockFor(bytes);
  if (i == blocks_.size()) {
    std::uint8_t* memory = NewZeroed(bytes);
    // Most likely another image of the picture being worked on, which its
    // maker fills right away (the first command after an open, or after
    // the idle trim gave the last one's block back): its pages come in at
    // once rather than a fault at a time.
    if (memory != nullptr && takenBefore) MakeResident(memory, bytes);
    return memory;
  }
  Block block = blocks_[i];
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
  heldBytes_ -= block.bytes;
  MarkInUse(block.memory, block.bytes);
  if (block.bytes != bytes) {
    // glibc moves a mapping of this size with mremap: the touched pages go
    // along, only the difference is mapped fresh or returned.
    void* resized = std::realloc(block.memory, bytes);
    if (resized == nullptr) {
      std::free(block.memory);
      return NewZeroed(bytes);
    }
    block.memory = static_cast<std::uint8_t*>(resized);
  }
  const bool streaming = bytes >= limits_.streamingClearBytes;
  const auto clear = [&](std::size_t offset, std::size_t count) {
    if (streaming) {
      ClearBypassingCache(block.memory + offset, count);
    } else {
      std::memset(block.memory + offset, 0, count);
    }
    return true;
  };
  // A grown block's new pages are fresh, and the clear would fault them in
  // one at a time.
  if (bytes > block.bytes) {
    FillResident(block.memory, bytes, kFillPieceBytes, clear);
  } else {
    clear(0, bytes);
  }
  return block.memory;
}

bool SurfaceMemoryPool::NoteTaken(std::size_t bytes) {
  // A size the pool would never hold (a section near the cap) is left to
  // fault in as it is written. One it would hold costs no more brought in
  // at once than the held block it would otherwise get, which is cleared
  // in full: a header that claims far more rows than its file holds costs
  // its size only when its size comes again.
  if (bytes < limits_.minBlockBytes || bytes > limits_.maxBytes) return false;
  if (std::find(takenSizes_.begin(), takenSizes_.end(), bytes) != takenSizes_.end()) return true;
  takenSizes_[nextTakenSize_] = bytes;
  nextTakenSize_ = (nextTakenSize_ + 1) % takenSizes_.size();
  return false;
}

std::size_t SurfaceMemoryPool::HeldBlockFor(std::size_t bytes) const {
  std::size_t nearest = blocks_.size();
  std::size_t nearestGap = 0;
  for (std::size_t i = blocks_.size(); i-- > 0;) {
    const std::size_t held = blocks_[i].bytes;
    if (held == bytes) return i;
    if (held < limits_.minResizeBytes || bytes < limits_.minResizeBytes) continue;
    if (held > 2 * bytes || bytes > 2 * held) continue;
    const std::size_t gap = held > bytes ? held - bytes : bytes - held;
    if (nearest == blocks_.size() || gap < nearestGap) {
      nearest = i;
      nearestGap = gap;
    }
  }
  return nearest;
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
  MarkHeld(memory, bytes);
}

void SurfaceMemoryPool::TrimToOneBlock(std::size_t keepAtMostBytes) {
  std::size_t kept = blocks_.size();
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const std::size_t bytes = blocks_[i].bytes;
    if (bytes <= keepAtMostBytes && (kept == blocks_.size() || bytes >= blocks_[kept].bytes)) kept = i;
  }
  for (std::size_t i = blocks_.size(); i-- > 0;) {
    if (i == kept) continue;
    FreeHeld(blocks_[i].memory, blocks_[i].bytes);
    heldBytes_ -= blocks_[i].bytes;
  }
  if (kept < blocks_.size()) {
    const Block keep = blocks_[kept];
    blocks_.assign(1, keep);
  } else {
    blocks_.clear();
  }
}

void SurfaceMemoryPool::HoldLargestTaken(std::size_t atMostBytes) {
  const std::size_t bytes = largestTaken_;
  largestTaken_ = 0;
  if (bytes < limits_.minBlockBytes || bytes > atMostBytes) return;
  for (const Block& block : blocks_) {
    if (block.bytes == bytes) return;
  }
  std::uint8_t* memory = NewZeroed(bytes);
  if (memory == nullptr) return;
  // Faulted in while nothing waits on it, rather than by the next copy.
  MakeResident(memory, bytes);
  while (!blocks_.empty()) FreeOldest();
  Give(memory, bytes);
}

void SurfaceMemoryPool::FreeOldest() {
  FreeHeld(blocks_.front().memory, blocks_.front().bytes);
  heldBytes_ -= blocks_.front().bytes;
  blocks_.erase(blocks_.begin());
}

void GiveBackIdleMemory() {
  PixelMemory().TrimToOneBlock(kIdleKeepBytes);
  // Blocks under glibc's mmap threshold, and the layer's small objects,
  // live in the heap, whose free pages stay resident until trimmed.
  malloc_trim(0);
  PixelMemory().HoldLargestTaken(kIdleKeepBytes);
}

SurfaceMemoryPool& PixelMemory() {
  // Never destroyed: surfaces still held by other statics give their
  // memory back during exit.
  static auto* pool = new SurfaceMemoryPool(kProcessLimits);
  return *pool;
}

}  // namespace varne::raster
