// Clearing a block far larger than the caches. On this machine type a
// plain memset of a 256 MB block takes as long as copying it; streaming
// stores, which write the zeros to memory without bringing each line into
// the cache, take under half that. Below the cache's size the plain memset
// wins, because the zeros stay in the cache for the writes that follow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// Sets bytes [memory, memory + bytes) to zero, of any alignment and length.
// The zeros are visible to every later load of this thread and, once
// published the usual way, of others.
void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes);

}  // namespace varne::raster
