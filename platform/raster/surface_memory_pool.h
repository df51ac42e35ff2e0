// The pixel memory of released surfaces, kept for the next surface of the
// same byte size, or of a near one. A live drag makes and releases an image
// of one size at every notification; without reuse each one maps fresh zero
// pages, and first-touching them costs more than the copy that fills them.
// The whole memory design, with what each part buys: docs/raster_layer.md.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace varne::raster {

// From this size up a block is larger than the caches, and is written with
// streaming stores: its zeros or pixels would be evicted before anything
// read them again.
inline constexpr std::size_t kBypassCacheFromBytes = std::size_t{64} << 20;

// Sets bytes [memory, memory + bytes) to zero, of any alignment and length,
// with streaming stores. The zeros are visible to every later load of this
// thread and, once published the usual way, of others.
void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes);

struct PoolLimits {
  std::size_t maxBlocks = 0;
  std::size_t maxBytes = 0;       // all held blocks together
  std::size_t minBlockBytes = 0;  // smaller ones are cheap to calloc
  // A reused block of at least this size is cleared with streaming stores.
  std::size_t streamingClearBytes = kBypassCacheFromBytes;
  // With no block of the asked size held, one from half to twice it is
  // resized for it, when both sizes are at least this: glibc maps blocks
  // that large on their own whatever its threshold has grown to, and
  // resizes them with mremap, so the touched pages move with the block and
  // only the difference is fresh. Opening a picture releases its loaded
  // 24-bit section just before its 32-bit copy is made.
  std::size_t minResizeBytes = std::size_t{32} << 20;
};

class SurfaceMemoryPool {
 public:
  explicit SurfaceMemoryPool(PoolLimits limits);
  ~SurfaceMemoryPool();
  SurfaceMemoryPool(const SurfaceMemoryPool&) = delete;
  SurfaceMemoryPool& operator=(const SurfaceMemoryPool&) = delete;

  // `bytes` of zeros: a held block of that size, or else the nearest
  // resizable one, cleared; or new memory, made resident at once if a
  // block of that size was handed out lately. Null when memory is short.
  std::uint8_t* TakeZeroed(std::size_t bytes);
  // Takes ownership of memory from TakeZeroed; keeps it, or frees it when
  // it is too small or would break the limits. The oldest blocks make way.
  void Give(std::uint8_t* memory, std::size_t bytes);

  // Returns every held block to the system but one: the largest that is
  // no larger than `keepAtMostBytes` (the newest of equals), if any.
  void TrimToOneBlock(std::size_t keepAtMostBytes);

  std::size_t HeldBlocks() const { return blocks_.size(); }
  std::size_t HeldBytes() const { return heldBytes_; }

 private:
  struct Block {
    std::uint8_t* memory;
    std::size_t bytes;
  };

  // The index of the block TakeZeroed hands out, or the count if none.
  std::size_t HeldBlockFor(std::size_t bytes) const;
  // Whether a block of `bytes` was handed out lately; remembers it if not.
  bool NoteTaken(std::size_t bytes);
  void FreeOldest();

  PoolLimits limits_;
  std::vector<Block> blocks_;  // oldest first
  std::size_t heldBytes_ = 0;
  // The last sizes handed out that the pool would hold, each noted the
  // first time, the oldest overwritten first; zero never matches. Eight
  // cover every size one command makes.
  std::array<std::size_t, 8> takenSizes_{};
  std::size_t nextTakenSize_ = 0;
};

// The process's pool, which every surface's memory comes from.
SurfaceMemoryPool& PixelMemory();

// What the process keeps while the program sits idle: at most one block,
// the largest no larger than kIdleKeepBytes, for the next command's copy of
// a picture of up to 12 megapixels; the allocator's free memory goes back
// too. Run by the dialog layer once no command or notification came for a
// few seconds.
inline constexpr std::size_t kIdleKeepBytes = std::size_t{48} << 20;
void GiveBackIdleMemory();

}  // namespace varne::raster
