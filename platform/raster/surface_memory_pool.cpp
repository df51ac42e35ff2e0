#include "platform/raster/surface_memory_pool.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/raster/make_resident.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Outside AddressSanitizer its poisoning macros do nothing.
#include <sanitizer/asan_interface.h>

namespace varne::raster {

namespace {

// Enough for what one mask effect on a 64-megapixel picture releases: the
// image it replaced, its result's rims and key, a loaded second picture
// and its 32-bit copy, about 700 MiB in six blocks; with less, one call's
// blocks push out the next call's. A block larger than all of it (a
// surface near the 1 GiB cap) is freed.
constexpr PoolLimits kProcessLimits{8, std::size_t{768} << 20, std::size_t{1} << 20};

// Fresh blocks come from calloc in ordinary pages: on a virtual machine
// whose kernel reports free memory to the host, transparent huge pages come
// from exactly that reported memory, and take many times longer to fault in.
std::uint8_t* NewZeroed(std::size_t bytes) { return static_cast<std::uint8_t*>(std::calloc(bytes, 1)); }

// A held block still belongs to the allocator's view of a live allocation,
// so a write through a pointer into a released surface would go unseen by
// AddressSanitizer: a block is poisoned while the pool holds it, and
// unpoisoned when it is handed out or goes back to the system.
void FreeHeld(std::uint8_t* memory, std::size_t bytes) {
  ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
  std::free(memory);
}

}  // namespace

void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes) {
#if defined(__SSE2__)
  // Whole 16-byte blocks go out as streaming stores; the ragged ends are
  // cleared the ordinary way.
  const std::size_t head = std::min(bytes, (16 - reinterpret_cast<std::uintptr_t>(memory) % 16) % 16);
  std::memset(memory, 0, head);
  std::uint8_t* at = memory + head;
  std::uint8_t* const end = at + (bytes - head) / 16 * 16;
  for (; at != end; at += 16) _mm_stream_si128(reinterpret_cast<__m128i*>(at), _mm_setzero_si128());
  // Streaming stores are weakly ordered; the fence puts them before
  // everything this thread stores next, such as the handle publishing the
  // surface.
  _mm_sfence();
  std::memset(end, 0, memory + bytes - end);
#else
  std::memset(memory, 0, bytes);
#endif
}

// Room for every block up front, so keeping one never allocates.
SurfaceMemoryPool::SurfaceMemoryPool(PoolLimits limits) : limits_(limits) {
  blocks_.reserve(limits.maxBlocks);
}

SurfaceMemoryPool::~SurfaceMemoryPool() {
  while (!blocks_.empty()) FreeOldest();
}

std::uint8_t* SurfaceMemoryPool::TakeZeroed(std::size_t bytes) {
  const bool takenBefore = NoteTaken(bytes);
  const std::size_t i = HeldBlockFor(bytes);
  if (i == blocks_.size()) {
    std::uint8_t* memory = NewZeroed(bytes);
    // Most likely another image of the picture being worked on, which its
    // maker fills right away (the first command after an open, or after
    // the idle step gave the last one's block back): its pages come in at
    // once rather than a fault at a time.
    if (memory != nullptr && takenBefore) MakeResident(memory, bytes);
    return memory;
  }
  Block block = blocks_[i];
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
  heldBytes_ -= block.bytes;
  ASAN_UNPOISON_MEMORY_REGION(block.memory, block.bytes);
  if (block.bytes != bytes) {
    // glibc moves a mapping of this size with mremap: the touched pages go
    // along, only the difference is mapped fresh or returned.
    void* resized = std::realloc(block.memory, bytes);
    if (resized == nullptr) {
      std::free(block.memory);
      return NewZeroed(bytes);
    }
    block.memory = static_cast<std::uint8_t*>(resized);
    // A grown block's new pages are fresh, and the clear would fault them
    // in one at a time.
    if (bytes > block.bytes) MakeResident(block.memory, bytes);
  }
  if (bytes >= limits_.streamingClearBytes) {
    ClearBypassingCache(block.memory, bytes);
  } else {
    std::memset(block.memory, 0, bytes);
  }
  return block.memory;
}

bool SurfaceMemoryPool::NoteTaken(std::size_t bytes) {
  // A size the pool would never hold (a section near the cap) is left to
  // fault in as it is written; one it would hold costs no more brought in
  // at once than the held block it would otherwise get, cleared in full.
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
  ASAN_POISON_MEMORY_REGION(memory, bytes);
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
}

SurfaceMemoryPool& PixelMemory() {
  // Never destroyed: surfaces still held by other statics give their
  // memory back during exit.
  static auto* pool = new SurfaceMemoryPool(kProcessLimits);
  return *pool;
}

}  // namespace varne::raster
