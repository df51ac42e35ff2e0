// Writes a picture as an uncompressed 24-bit (or 8-bit) bottom-up .bmp
// file, the large-file case of the loader and the input of the peer
// comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varne::bench {

// pixels: 0x00RRGGBB words, bottom row first. False if the file cannot be
// written.
bool WriteBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint32_t>& pixels);
// The same picture's green channel as an 8-bit file with a grey palette.
bool WriteBmp8(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& pixels);

}  // namespace varne::bench
