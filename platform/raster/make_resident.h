// Pages the process has never touched fault in one trap at a time on their
// first write. A large picture is mostly such pages the first time its
// memory is mapped, and asking the kernel for a whole run of them at once
// (MADV_POPULATE_WRITE), from two threads when there is much of it, costs
// one request per run of pages where the traps cost one per page.
#pragma once

#include <cstddef>

namespace varne::raster {

// Makes the pages of [memory, memory + bytes) that are not resident
// resident and writable, without changing what they hold; whole pages
// only. Only for memory the caller is about to write in full, as it
// commits every page. Advice: where the kernel declines, or a thread cannot
// be had, the pages fault in on first write as before. Returns once every
// page asked for is in.
void MakeResident(void* memory, std::size_t bytes);

}  // namespace varne::raster
