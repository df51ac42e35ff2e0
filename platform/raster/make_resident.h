// Pages the process has never touched fault in one trap at a time on their
// first write. Asking the kernel for a whole run of them at once
// (MADV_POPULATE_WRITE), from two threads when there is much of it, took
// half the time on a 2-vCPU virtual machine (docs/performance.md), and a
// large picture is mostly such pages the first time its memory is mapped.
// Where the writes themselves take a while (a file's reads, a conversion),
// the faults are taken a piece ahead of them on the second thread instead.
#pragma once

#include <cstddef>
#include <functional>

namespace varne::raster {

// Makes the pages of [memory, memory + bytes) that are not resident
// resident and writable, without changing what they hold; whole pages
// only. Only for memory the caller is about to write in full, as it commits
// every page. Advice: where the kernel declines, or memory or a thread
// cannot be had, the pages fault in on first write as before. Returns once
// every page asked for is in.
void MakeResident(void* memory, std::size_t bytes);

// FillResident's usual piece: one mincore window of 4 KiB pages, and small
// enough that the two threads meet near the middle of a picture.
inline constexpr std::size_t kFillPieceBytes = std::size_t{4} << 20;

// Fills [memory, memory + bytes) through `fill(offset, count)`, called on
// the caller's thread once the pages of its part are in. With much of the
// range absent, it is called for consecutive pieces of `pieceBytes` (the
// last may be shorter) in order, while a helper brings pieces in from the
// far end, so that one thread's faults overlap the other's writes; `fill`
// returns false to stop, and no later piece is filled. Otherwise it is
// MakeResident, then `fill(0, bytes)`. Only for memory `fill` writes in
// full.
using FillPiece = std::function<bool(std::size_t offset, std::size_t count)>;
void FillResident(void* memory, std::size_t bytes, std::size_t pieceBytes, const FillPiece& fill);

}  // namespace varne::raster
