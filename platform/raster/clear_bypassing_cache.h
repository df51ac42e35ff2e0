// Clearing a block far larger than the caches. A plain memset of a 256 MB
// block first reads every line it writes into the cache, only for the
// cache to throw it out again; on this machine type that costs as long as
// copying the block. Streaming stores write the zeros straight to memory,
// in under half that time. Below the cache's size the plain memset wins,
// because the zeros stay in the cache for the writes that follow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// Sets bytes [memory, memory + bytes) to zero, of any alignment and length.
// The zeros are visible to every later load of this thread and, once
// published the usual way, of others.
void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes);

}  // namespace varne::raster
