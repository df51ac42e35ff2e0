#include "platform/raster/rop_rows.h"

#include <cstring>

#include "platform/raster/rop3.h"

namespace varne::raster {

namespace {

// With the pattern fixed, each bit of the result is one of two functions of
// (S, D): the table's high nibble where P is 1, its low nibble where P is 0.
template <typename T>
T EvaluateTwoInput(std::uint8_t nibble, T s, T d) {
  T result = 0;
  if (nibble & 1) result |= static_cast<T>(~s & ~d);
  if (nibble & 2) result |= static_cast<T>(~s & d);
  if (nibble & 4) result |= static_cast<T>(s & ~d);
  if (nibble & 8) result |= static_cast<T>(s & d);
  return result;
}

template <typename T>
struct GeneralOp {
  std::uint8_t index;
  T p;
  T operator()(T s, T d) const {
    return static_cast<T>((p & EvaluateTwoInput<T>(index >> 4, s, d)) |
                          (~p & EvaluateTwoInput<T>(index & 0xF, s, d)));
  }
};

template <typename T, typename Op>
void RunRow(Op op, const T* s, T* d, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) d[i] = op(s[i], d[i]);
}

// Calls body with the operation for the index: a fast one where it exists.
template <typename T, typename Body>
void WithOp(std::uint8_t index, T p, Body body) {
  switch (index) {
    case 0xCC: return body([](T s, T) { return s; });                       // SRCCOPY
    case 0x88: return body([](T s, T d) { return static_cast<T>(s & d); }); // SRCAND
    case 0xBB: return body([](T s, T d) { return static_cast<T>(~s | d); }); // MERGEPAINT
    case 0xEE: return body([](T s, T d) { return static_cast<T>(s | d); }); // SRCPAINT
    case 0x66: return body([](T s, T d) { return static_cast<T>(s ^ d); }); // SRCINVERT
    case 0x33: return body([](T s, T) { return static_cast<T>(~s); });      // NOTSRCCOPY
    case 0xB8:                                                               // PSDPxax
      return body([p](T s, T d) { return static_cast<T>(((d ^ p) & s) ^ p); });
    case 0xF0: return body([p](T, T) { return p; });                         // PATCOPY
    case 0x5A: return body([p](T, T d) { return static_cast<T>(p ^ d); });  // PATINVERT
    case 0x55: return body([](T, T d) { return static_cast<T>(~d); });      // DSTINVERT
    case 0x00: return body([](T, T) { return T{0}; });                       // BLACKNESS
    case 0xFF: return body([](T, T) { return static_cast<T>(~T{0}); });     // WHITENESS
    default: return body(GeneralOp<T>{index, p});
  }
}

template <typename Op>
void RunWords(Op op, const std::uint64_t* s, std::uint64_t* d, std::size_t count,
              std::uint64_t firstMask, std::uint64_t lastMask) {
  if (count == 0) return;
  if (count == 1) {
    const std::uint64_t mask = firstMask & lastMask;
    d[0] = (d[0] & ~mask) | (op(s[0], d[0]) & mask);
    return;
  }
  d[0] = (d[0] & ~firstMask) | (op(s[0], d[0]) & firstMask);
  for (std::size_t i = 1; i + 1 < count; ++i) d[i] = op(s[i], d[i]);
  const std::size_t last = count - 1;
  d[last] = (d[last] & ~lastMask) | (op(s[last], d[last]) & lastMask);
}

}  // namespace

void CombineRow32(std::uint8_t index, std::uint32_t p, const std::uint32_t* s, std::uint32_t* d,
                  std::size_t count) {
  if (index == 0xCC) {
    std::memmove(d, s, count * sizeof(std::uint32_t));
    return;
  }
  WithOp<std::uint32_t>(index, p, [&](auto op) { RunRow<std::uint32_t>(op, s, d, count); });
}

void CombineWords(std::uint8_t index, std::uint64_t p, const std::uint64_t* s, std::uint64_t* d,
                  std::size_t count, std::uint64_t firstMask, std::uint64_t lastMask) {
  WithOp<std::uint64_t>(index, p,
                        [&](auto op) { RunWords(op, s, d, count, firstMask, lastMask); });
}

void CombineRow32General(std::uint8_t index, std::uint32_t p, const std::uint32_t* s,
                         std::uint32_t* d, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) d[i] = EvaluateRop3<std::uint32_t>(index, p, s[i], d[i]);
}

void CombineWordsGeneral(std::uint8_t index, std::uint64_t p, const std::uint64_t* s,
                         std::uint64_t* d, std::size_t count, std::uint64_t firstMask,
                         std::uint64_t lastMask) {
  RunWords([&](std::uint64_t sw, std::uint64_t dw) { return EvaluateRop3(index, p, sw, dw); }, s,
           d, count, firstMask, lastMask);
}

}  // namespace varne::raster
