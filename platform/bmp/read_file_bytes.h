// Reading one file into memory, for the loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varne::bmp {

// The contents of the regular file at `path`, at most `maxBytes` of them
// (the rest is left unread). Nothing for a missing or unreadable file, a
// directory, a device or a pipe.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes);

}  // namespace varne::bmp
