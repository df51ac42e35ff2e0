// Files for tests that abuse paths: small valid bitmaps, and odd things to
// put where a file was, in a ScratchFolder that disappears with the test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_file.h"

namespace varne::test {

// A bottom-up 24-bit .bmp of width x height, every pixel `colour`
// (0x00RRGGBB), written out field by field.
std::vector<std::uint8_t> SolidBmp24(int width, int height, std::uint32_t colour);

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace varne::test
