// Applying a raster operation to a whole row at once. The common codes get
// loops the compiler can vectorise; every other code goes through the
// code's algebraic normal form with the pattern fixed, so the inner loop has
// two inputs. EvaluateRop3 (rop3.h) is the reference each must equal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne::raster {

// d[i] = rop(p, s[i], d[i]) for 32-bit pixels (or any pixel bits up to 32).
// Equals EvaluateRop3 per pixel: RopRows.EveryCodeOnPixelsMatchesTheReference.
void CombineRow32(std::uint8_t index, std::uint32_t p, const std::uint32_t* s, std::uint32_t* d,
                  std::size_t count);

// The same for 64 monochrome pixels per word; bits outside firstMask /
// lastMask (the masks of the first and last word) keep their value.
// Equals EvaluateRop3 per word: RopRows.EveryCodeOnMonochromeWordsKeepsBitsOutsideTheMasks.
void CombineWords(std::uint8_t index, std::uint64_t p, const std::uint64_t* s, std::uint64_t* d,
                  std::size_t count, std::uint64_t firstMask, std::uint64_t lastMask);

// d[i] = rop(p, s, d[i]) where s is `one` if bit first + i of the
// monochrome row `bits` is set and `zero` if not: a mask expanded to colour
// without an intermediate row.
// Equals expanding, then EvaluateRop3 per pixel: RopRows.*ExpandedMaskRows*MatchExpandingFirst.
void CombineExpandedRow32(std::uint8_t index, std::uint32_t p, const std::uint64_t* bits,
                          std::size_t first, std::uint32_t one, std::uint32_t zero,
                          std::uint32_t* d, std::size_t count);

// The plain references: EvaluateRop3 per pixel or word, nothing else, so
// the fast paths above can be checked against them (rop_rows_test.cpp).
void CombineRow32General(std::uint8_t index, std::uint32_t p, const std::uint32_t* s,
                         std::uint32_t* d, std::size_t count);
void CombineWordsGeneral(std::uint8_t index, std::uint64_t p, const std::uint64_t* s,
                         std::uint64_t* d, std::size_t count, std::uint64_t firstMask,
                         std::uint64_t lastMask);

}  // namespace varne::raster
