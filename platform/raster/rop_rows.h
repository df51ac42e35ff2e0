// Applying a raster operation to a whole row at once. The common codes get
// loops the compiler can vectorise; every other code goes through
// EvaluateRop3, split by the pattern so the inner loop has two inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// d[i] = rop(p, s[i], d[i]) for 32-bit pixels (or any pixel bits up to 32).
void CombineRow32(std::uint8_t index, std::uint32_t p, const std::uint32_t* s, std::uint32_t* d,
                  std::size_t count);

// The same for 64 monochrome pixels per word; bits outside keepFirst /
// keepLast (the masks of the first and last word) keep their value.
void CombineWords(std::uint8_t index, std::uint64_t p, const std::uint64_t* s, std::uint64_t* d,
                  std::size_t count, std::uint64_t firstMask, std::uint64_t lastMask);

// d[i] = rop(p, s, d[i]) where s is `one` if bit first + i of the
// monochrome row `bits` is set and `zero` if not: a mask expanded to colour
// without an intermediate row.
void CombineExpandedRow32(std::uint8_t index, std::uint32_t p, const std::uint64_t* bits,
                          std::size_t first, std::uint32_t one, std::uint32_t zero,
                          std::uint32_t* d, std::size_t count);

// The general evaluator alone, so the fast paths can be checked against it.
void CombineRow32General(std::uint8_t index, std::uint32_t p, const std::uint32_t* s,
                         std::uint32_t* d, std::size_t count);
void CombineWordsGeneral(std::uint8_t index, std::uint64_t p, const std::uint64_t* s,
                         std::uint64_t* d, std::size_t count, std::uint64_t firstMask,
                         std::uint64_t lastMask);

}  // namespace varne::raster
