// Reading one file into memory, for the loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varne::bmp {

// The contents of the regular file at `path`, at most `maxBytes` of them
// (the rest is left unread), never more than its size when it was opened
// and never bytes it did not hold. Nothing for a missing or unreadable
// file, a directory, a device, a pipe or a socket (none of which is even
// opened), and nothing when memory for the contents cannot be had.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes);

}  // namespace varne::bmp
