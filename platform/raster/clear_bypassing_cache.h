// Clearing a block far larger than the caches. Measured on a 2-vCPU x86-64
// virtual machine (docs/performance.md): a plain memset of a touched 256 MB
// block took 25-27 ms, as long as copying it; streaming stores, which write
// the zeros to memory without bringing each line into the cache, took
// 12 ms. At 48 MB the plain memset won (3.6 against 8.3 ms), because the
// zeros stay in the cache for the writes that follow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// From this size up a block is written with streaming stores.
inline constexpr std::size_t kBypassCacheFromBytes = std::size_t{64} << 20;

// Sets bytes [memory, memory + bytes) to zero, of any alignment and length.
// The zeros are visible to every later load of this thread and, once
// published the usual way, of others.
void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes);

}  // namespace varne::raster
