#include "platform/raster/blit_skeleton.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/raster/gdi.h"
#include "platform/raster/make_resident.h"
#include "platform/raster/pixel_format.h"
#include "platform/raster/rop3.h"
#include "platform/raster/rop_rows.h"
#include "platform/raster/source_rows.h"
#include "platform/raster/surface_memory_pool.h"

namespace varne::raster {

namespace {

// Intersects [start, start + length) with [low, high), in 64 bits so that
// extreme coordinates cannot overflow.
void ClipSpan(std::int64_t& start, std::int64_t& length, std::int64_t low, std::int64_t high) {
  const std::int64_t end = std::min(start + length, high);
  start = std::max(start, low);
  length = std::max<std::int64_t>(end - start, 0);
}

bool ClipAxis(std::int64_t& position, std::int64_t& length, std::int64_t& sourcePosition,
              int destinationSize, std::optional<int> sourceSize) {
  std::int64_t start = position;
  std::int64_t extent = length;
  ClipSpan(start, extent, 0, destinationSize);
  const std::int64_t shift = sourcePosition - position;
  if (sourceSize) ClipSpan(start, extent, -shift, *sourceSize - shift);
  if (extent <= 0) return false;
  position = start;
  length = extent;
  sourcePosition = start + shift;
  return true;
}

std::optional<int> Width(const Surface* surface) {
  return surface ? std::optional<int>(surface->width) : std::nullopt;
}
std::optional<int> Height(const Surface* surface) {
  return surface ? std::optional<int>(surface->height) : std::nullopt;
}

// Shrinks the area to the pixels that lie inside the destination and, when
// there is a source, whose source lies inside it too. False when empty.
bool ClipBlit(BlitArea& area, const Surface& destination, const Surface* source) {
  return ClipAxis(area.x, area.width, area.sourceX, destination.width, Width(source)) &&
         ClipAxis(area.y, area.height, area.sourceY, destination.height, Height(source));
}

// A blit within one bitmap reads rows before they are overwritten when it
// walks away from the source: upwards if the source lies above.
bool WalkUpwards(const BlitArea& area, const Surface& destination, const Surface* source) {
  return source == &destination && area.sourceY < area.y;
}

std::int64_t RowAt(const BlitArea& area, std::int64_t step, bool upwards) {
  return upwards ? area.height - 1 - step : step;
}

int Int(std::int64_t clipped) { return static_cast<int>(clipped); }

std::size_t AreaBytes(const BlitArea& area, const Surface& destination) {
  return static_cast<std::size_t>(area.height) * destination.rowBytes;
}

void RunMonochrome(Surface& destination, std::uint64_t pattern, const BlitArea& area,
                   SourceRows* sourceRows, bool upwards, std::uint8_t index) {
  const int offset = Int(area.x % 64);
  const std::size_t firstWord = static_cast<std::size_t>(area.x) / 64;
  const std::size_t lastWord = (static_cast<std::size_t>(area.x) + area.width - 1) / 64;
  const std::size_t words = lastWord - firstWord + 1;
  const std::uint64_t firstMask = ~std::uint64_t{0} << offset;
  const std::uint64_t lastMask =
      ~std::uint64_t{0} >> (63 - (static_cast<std::size_t>(area.x) + area.width - 1) % 64);
  const std::vector<std::uint64_t> noSource(words, 0);
  for (std::int64_t step = 0; step < area.height; ++step) {
    const std::int64_t row = RowAt(area, step, upwards);
    const std::uint64_t* source =
        sourceRows ? sourceRows->Bits(Int(area.sourceY + row), Int(area.sourceX), Int(area.width), offset)
                   : noSource.data();
    auto* target = reinterpret_cast<std::uint64_t*>(destination.Row(area.y + row)) + firstWord;
    CombineWords(index, pattern, source, target, words, firstMask, lastMask);
  }
}

void Run32(Surface& destination, std::uint32_t pattern, const BlitArea& area,
           SourceRows* sourceRows, bool upwards, std::uint8_t index) {
  const std::vector<std::uint32_t> noSource(static_cast<std::size_t>(area.width), 0);
  // A SRCCOPY of a converted source (every 24-bit picture on its way in)
  // writes the converted row in place: the same words the row buffer and
  // CombineRow32 below would leave, one pass over the picture fewer.
  // Converting means another format, so never the destination's memory.
  const bool convertInPlace = sourceRows != nullptr && index == RopIndex(SRCCOPY);
  // Rows larger than the caches in all would be evicted before anything
  // reads them again, so they need not be read in to be written.
  const bool streaming = AreaBytes(area, destination) >= kBypassCacheFromBytes;
  for (std::int64_t step = 0; step < area.height; ++step) {
    const std::int64_t row = RowAt(area, step, upwards);
    auto* target = reinterpret_cast<std::uint32_t*>(destination.Row(area.y + row)) + area.x;
    if (convertInPlace &&
        sourceRows->ColourInto(Int(area.sourceY + row), Int(area.sourceX), Int(area.width), target,
                               streaming)) {
      continue;
    }
    const std::uint32_t* source =
        sourceRows ? sourceRows->Colour(Int(area.sourceY + row), Int(area.sourceX), Int(area.width))
                   : noSource.data();
    CombineRow32(index, pattern, source, target, static_cast<std::size_t>(area.width));
  }
}

// A mask into a 32-bpp surface, the most common blit of the effects: the
// bits are expanded to the DC's colours on the fly.
void RunExpanded32(Surface& destination, const BlitOperands& operands, const BlitArea& area,
                   const Surface& source, std::uint8_t index) {
  for (std::int64_t row = 0; row < area.height; ++row) {
    const auto* bits = reinterpret_cast<const std::uint64_t*>(source.Row(area.sourceY + row));
    auto* target = reinterpret_cast<std::uint32_t*>(destination.Row(area.y + row)) + area.x;
    CombineExpandedRow32(index, operands.pattern, bits, static_cast<std::size_t>(area.sourceX),
                         operands.one, operands.zero, target,
                         static_cast<std::size_t>(area.width));
  }
}

// Depths below 32 bits: combine raw values in a scratch row, then store
// them back, which drops the bits the depth cannot hold.
void RunPacked(Surface& destination, std::uint32_t pattern, const BlitArea& area,
               SourceRows* sourceRows, bool upwards, std::uint8_t index) {
  const std::vector<std::uint32_t> noSource(static_cast<std::size_t>(area.width), 0);
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(area.width));
  for (std::int64_t step = 0; step < area.height; ++step) {
    const std::int64_t row = RowAt(area, step, upwards);
    const std::uint32_t* source =
        sourceRows ? sourceRows->Colour(Int(area.sourceY + row), Int(area.sourceX), Int(area.width))
                   : noSource.data();
    std::uint8_t* target = destination.Row(area.y + row);
    for (std::size_t i = 0; i < scratch.size(); ++i) {
      scratch[i] = ReadRaw(destination, target, Int(area.x) + static_cast<int>(i));
    }
    CombineRow32(index, pattern, source, scratch.data(), scratch.size());
    for (std::size_t i = 0; i < scratch.size(); ++i) {
      WriteRaw(destination, target, Int(area.x) + static_cast<int>(i), scratch[i]);
    }
  }
}

}  // namespace

void Blit(Surface& destination, BlitArea area, const Surface* source,
          const BlitOperands& operands, std::uint8_t index) {
  if (!ClipBlit(area, destination, source)) return;
  if (source != nullptr && source->IsMonochrome() && !destination.IsMonochrome() &&
      destination.bitsPerPixel == 32) {
    RunExpanded32(destination, operands, area, *source, index);
    return;
  }
  // A blit within one bitmap reads each source row from a copy, since
  // most codes read a pixel after an overlapping one was written. SRCCOPY
  // moves a row with memmove, which is safe however the row overlaps itself.
  const bool copyRows = source == &destination && index != RopIndex(SRCCOPY);
  std::optional<SourceRows> sourceRows;
  if (source != nullptr) {
    sourceRows.emplace(*source, operands.sourceBackground, destination, operands.one,
                       operands.zero, copyRows);
  }
  SourceRows* rows = sourceRows ? &*sourceRows : nullptr;
  // Whole rows are written in full, so their fresh pages may come in at
  // once rather than a fault at a time.
  if (area.x == 0 && area.width == destination.width) {
    const std::int64_t last = area.y + area.height - 1;
    MakeResident(std::min(destination.Row(area.y), destination.Row(last)),
                 AreaBytes(area, destination));
  }
  const bool upwards = WalkUpwards(area, destination, source);
  if (destination.IsMonochrome()) {
    RunMonochrome(destination, operands.pattern ? ~std::uint64_t{0} : 0, area, rows, upwards,
                  index);
  } else if (destination.bitsPerPixel == 32) {
    Run32(destination, operands.pattern, area, rows, upwards, index);
  } else {
    RunPacked(destination, operands.pattern, area, rows, upwards, index);
  }
}

}  // namespace varne::raster
