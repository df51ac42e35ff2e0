#include "platform/raster/source_rows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/raster/pixel_format.h"
#include "platform/raster/prefetch_ahead.h"
#include "platform/raster/widen_24_to_32.h"

namespace varne::raster {

namespace {

bool SameFormat(const Surface& a, const Surface& b) {
  if (a.IsMonochrome() || b.IsMonochrome()) return false;
  if (a.bitsPerPixel != b.bitsPerPixel) return false;
  if (a.bitsPerPixel <= 8) {
    // The whole tables, black past a short one: equal used entries alone
    // would copy an index that is black in one and a colour in the other.
    return std::memcmp(a.colours.data(), b.colours.data(),
                       sizeof(RGBQUAD) * (std::size_t{1} << a.bitsPerPixel)) == 0;
  }
  return a.bitsPerPixel == 24 || a.masks == b.masks;
}

std::uint64_t WordAt(const std::uint8_t* row, std::int64_t index, std::int64_t words) {
  if (index < 0 || index >= words) return 0;
  std::uint64_t word;
  std::memcpy(&word, row + index * 8, sizeof(word));
  return word;
}

// The 64 bits starting at bit `position` of a monochrome row; bits outside
// the row read as 0.
std::uint64_t BitWindow(const std::uint8_t* row, std::int64_t words, std::int64_t position) {
  const std::int64_t index = position >= 0 ? position / 64 : -((-position + 63) / 64);
  const int shift = static_cast<int>(position - index * 64);
  const std::uint64_t low = WordAt(row, index, words);
  if (shift == 0) return low;
  return (low >> shift) | (WordAt(row, index + 1, words) << (64 - shift));
}

// One 64-bit word of a mask from 64 pixels: bit j set where pixel j has the
// background's red, green and blue. The hot loop of colour -> mono.
std::uint64_t MatchWord(const std::uint32_t* pixels, std::uint32_t background) {
  std::uint64_t word = 0;
#if defined(__SSE2__)
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i wanted = _mm_set1_epi32(static_cast<int>(background));
  for (int j = 0; j < 64; j += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + j));
    const __m128i equal = _mm_cmpeq_epi32(_mm_and_si128(four, colour), wanted);
    word |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(equal))) << j;
  }
#else
  for (int j = 0; j < 64; ++j) {
    word |= static_cast<std::uint64_t>((pixels[j] & 0x00FFFFFF) == background) << j;
  }
#endif
  return word;
}

// Bits [offset, offset + count) of out from count pixels; out starts zeroed.
void MatchPlain32(const std::uint32_t* pixels, int count, int offset, std::uint32_t background,
                  std::uint64_t* out) {
  int i = 0;
  // Pixels up to the first word boundary of the output one by one, then
  // whole words, then the tail.
  for (; i < count && (offset + i) % 64 != 0; ++i) {
    const std::size_t j = static_cast<std::size_t>(offset + i);
    out[j / 64] |= static_cast<std::uint64_t>((pixels[i] & 0x00FFFFFF) == background) << (j % 64);
  }
  constexpr int kAhead = static_cast<int>(kPrefetchBytesAhead / sizeof(std::uint32_t));
  for (; i + 64 <= count; i += 64) {
    if (count - i >= kAhead + 64) PrefetchLines(pixels + i + kAhead, 64 * sizeof(std::uint32_t), false);
    out[static_cast<std::size_t>(offset + i) / 64] = MatchWord(pixels + i, background);
  }
  for (; i < count; ++i) {
    const std::size_t j = static_cast<std::size_t>(offset + i);
    out[j / 64] |= static_cast<std::uint64_t>((pixels[i] & 0x00FFFFFF) == background) << (j % 64);
  }
}

}  // namespace

SourceRows::SourceRows(const Surface& source, COLORREF sourceBackground,
                       const Surface& destination, std::uint32_t one, std::uint32_t zero,
                       bool copyRows)
    : source_(source), destination_(destination), one_(one), zero_(zero) {
  if (destination.IsMonochrome()) {
    if (source.IsMonochrome()) {
      bitsMode_ = BitsMode::kShiftMono;
    } else {
      colourBits_ = ColourBits(source);
      backgroundRaw_ = RawOfColour(source, sourceBackground) & colourBits_;
      bitsMode_ = IsPlain32(source) ? BitsMode::kMatchPlain32 : BitsMode::kMatchRaw;
    }
    return;
  }
  if (source.IsMonochrome()) {
    colourMode_ = ColourMode::kExpandMono;
  } else if (SameFormat(source, destination)) {
    colourMode_ =
        source.bitsPerPixel == 32 && !copyRows ? ColourMode::kDirect : ColourMode::kSameRaw;
  } else if (source.bitsPerPixel <= 8) {
    colourMode_ = ColourMode::kLookup;
    lookup_.resize(static_cast<std::size_t>(1) << source.bitsPerPixel);
    for (std::size_t i = 0; i < lookup_.size(); ++i) {
      lookup_[i] = RawOfColour(destination, ColourOfRaw(source, static_cast<std::uint32_t>(i)));
    }
  } else if (source.bitsPerPixel == 24 && IsPlain32(destination)) {
    colourMode_ = ColourMode::kWiden24;
  } else {
    colourMode_ = ColourMode::kConvert;
  }
}

const std::uint32_t* SourceRows::Colour(int y, int x, int count) {
  if (colourMode_ == ColourMode::kDirect) {
    return reinterpret_cast<const std::uint32_t*>(source_.Row(y)) + x;
  }
  colourRow_.resize(static_cast<std::size_t>(count));
  ColourInto(y, x, count, colourRow_.data(), false);
  return colourRow_.data();
}

bool SourceRows::ColourInto(int y, int x, int count, std::uint32_t* out, bool streaming) {
  if (colourMode_ == ColourMode::kDirect) return false;
  const std::uint8_t* row = source_.Row(y);
  switch (colourMode_) {
    case ColourMode::kExpandMono: {
      const std::int64_t words = static_cast<std::int64_t>(source_.rowBytes / 8);
      for (int i = 0; i < count; i += 64) {
        const std::uint64_t bits = BitWindow(row, words, std::int64_t{x} + i);
        const int n = count - i < 64 ? count - i : 64;
        for (int j = 0; j < n; ++j) out[i + j] = ((bits >> j) & 1) ? one_ : zero_;
      }
      break;
    }
    case ColourMode::kSameRaw:
      for (int i = 0; i < count; ++i) out[i] = ReadRaw(source_, row, x + i);
      break;
    case ColourMode::kWiden24: {
      const auto* from = row + static_cast<std::size_t>(x) * 3;
      if (streaming) {
        Widen24To32BypassingCache(from, out, static_cast<std::size_t>(count));
      } else {
        Widen24To32(from, out, static_cast<std::size_t>(count));
      }
      break;
    }
    case ColourMode::kLookup:
      for (int i = 0; i < count; ++i) out[i] = lookup_[ReadRaw(source_, row, x + i)];
      break;
    default:
      for (int i = 0; i < count; ++i) {
        out[i] = RawOfColour(destination_, ColourOfRaw(source_, ReadRaw(source_, row, x + i)));
      }
      break;
  }
  return true;
}

const std::uint64_t* SourceRows::Bits(int y, int x, int count, int offset) {
  const std::size_t wordCount = (static_cast<std::size_t>(offset) + static_cast<std::size_t>(count) + 63) / 64;
  bitsRow_.assign(wordCount, 0);
  std::uint64_t* out = bitsRow_.data();
  const std::uint8_t* row = source_.Row(y);
  if (bitsMode_ == BitsMode::kShiftMono) {
    const std::int64_t words = static_cast<std::int64_t>(source_.rowBytes / 8);
    for (std::size_t k = 0; k < wordCount; ++k) {
      out[k] = BitWindow(row, words, std::int64_t{x} - offset + static_cast<std::int64_t>(k) * 64);
    }
    return out;
  }
  if (bitsMode_ == BitsMode::kMatchPlain32) {
    MatchPlain32(reinterpret_cast<const std::uint32_t*>(row) + x, count, offset, backgroundRaw_,
                 out);
    return out;
  }
  for (int i = 0; i < count; ++i) {
    const std::uint32_t raw = ReadRaw(source_, row, x + i);
    const std::uint64_t bit = (raw & colourBits_) == backgroundRaw_ ? 1 : 0;
    const std::size_t j = static_cast<std::size_t>(offset + i);
    out[j / 64] |= bit << (j % 64);
  }
  return out;
}

}  // namespace varne::raster
