// The ternary raster operations. The code's index byte, (rop >> 16) & 0xFF,
// is the truth table: bit P*4 + S*2 + D gives the result for one
// combination of pattern, source and destination bits. Everything here is
// bitwise, so one evaluation serves a 1-bit mono word and a 32-bit pixel.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace varne::raster {

constexpr std::uint8_t RopIndex(DWORD rop) { return static_cast<std::uint8_t>(rop >> 16); }

// ((D ^ P) & S) ^ P: D where S is set, P where it is clear. Win32 lists
// this code in its table of raster operations but defines no macro for it.
inline constexpr DWORD kPsdpxax = 0x00B8074A;

// The index byte does not change when S flips: no source needed.
inline bool RopUsesSource(std::uint8_t index) {
  return ((index >> 2) & 0x33) != (index & 0x33);
}

// The reference for every fast path: the sum of the minterms the table
// selects, one bit position at a time.
template <typename T>
T EvaluateRop3(std::uint8_t index, T p, T s, T d) {
  T result = 0;
  for (int minterm = 0; minterm < 8; ++minterm) {
    if (((index >> minterm) & 1) == 0) continue;
    const T pTerm = (minterm & 4) ? p : static_cast<T>(~p);
    const T sTerm = (minterm & 2) ? s : static_cast<T>(~s);
    const T dTerm = (minterm & 1) ? d : static_cast<T>(~d);
    result |= static_cast<T>(pTerm & sTerm & dTerm);
  }
  return result;
}

}  // namespace varne::raster
