// How much of a file LoadImageA reads, and in what order: shared with the
// fuzz target that checks the loader's reads against a file held in memory.
#pragma once

#include <cstddef>

#include "platform/raster/surface_limits.h"

namespace varne::bmp {

#if defined(VARNE_FUZZ_MAX_LOADED_FILE_BYTES)
// The fuzz build stops reading far sooner, so that a file past this cap
// takes a fraction of a second and a time limit of a few seconds still
// tells a loop from a large read; a picture larger than the cap is then
// read as a file cut at the cap.
inline constexpr std::size_t kMaxLoadedFileBytes = VARNE_FUZZ_MAX_LOADED_FILE_BYTES;
#else
// Room for the largest pixel data a section may hold plus generous
// headers, palette and gap; nothing past it is ever read.
inline constexpr std::size_t kMaxLoadedFileBytes =
    static_cast<std::size_t>(raster::kMaxSurfaceBytes) + (std::size_t{1} << 20);
#endif

// The head of a file holds its headers, masks and palette (at most 124 +
// 14 + 12 + 1024 bytes). It is judged before anything else is read or
// allocated, so a file that is no bitmap the loader takes costs one small
// read, however large it is.
inline constexpr std::size_t kHeadBytes = std::size_t{64} << 10;

}  // namespace varne::bmp
