#include "platform/bmp/rle_decoder.h"
#include "platform/bmp/source_cursor.h"

namespace varne::bmp {
namespace {

constexpr std::uint8_t kEscape = 0;
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

// The write position of the decoder; x and y are wide enough that no
// sequence of runs and deltas in a file can overflow them.
class RlePen {
 public:
  RlePen(RleKind kind, std::int32_t width, const BottomUpRows& rows)
      : kind_(kind), width_(width), rows_(rows) {}

  bool inside() const { return y_ < rows_.height(); }

  void Put(std::uint8_t index) {
    if (x_ < width_) {
      const std::span<std::uint8_t> row = rows_.Row(static_cast<std::int32_t>(y_));
      if (kind_ == RleKind::kRle8) {
        row[static_cast<std::size_t>(x_)] = index;
      } else {
        std::uint8_t& pair = row[static_cast<std::size_t>(x_ / 2)];
        pair = (x_ % 2 == 0) ? static_cast<std::uint8_t>((pair & 0x0F) | (index << 4))
                             : static_cast<std::uint8_t>((pair & 0xF0) | (index & 0x0F));
      }
    }
    ++x_;
  }

  void NextLine() {
    x_ = 0;
    ++y_;
  }

  void Move(std::uint8_t dx, std::uint8_t dy) {
    x_ += dx;
    y_ += dy;
  }

 private:
  RleKind kind_;
  std::int64_t width_;
  const BottomUpRows& rows_;
  std::int64_t x_ = 0;
  std::int64_t y_ = 0;
};

// The index a run or absolute stretch gives its i-th pixel: RLE4 packs two
// alternating indices per byte, high nibble first.
std::uint8_t IndexAt(RleKind kind, std::uint8_t packed, int i) {
  if (kind == RleKind::kRle8) return packed;
  return (i % 2 == 0) ? static_cast<std::uint8_t>(packed >> 4)
                      : static_cast<std::uint8_t>(packed & 0x0F);
}

// An absolute stretch of `count` pixels, padded to a 16-bit boundary.
// False when the data ends inside it.
bool DecodeAbsolute(SourceCursor& cursor, RleKind kind, int count, RlePen& pen) {
  const std::size_t bytes = kind == RleKind::kRle8 ? count : (count + 1) / 2;
  const std::span<const std::uint8_t> stored = cursor.Take(bytes);
  for (int i = 0; i < count; ++i) {
    const std::size_t byte = kind == RleKind::kRle8 ? i : i / 2;
    if (byte >= stored.size()) return false;
    pen.Put(IndexAt(kind, stored[byte], i));
  }
  if (bytes % 2 != 0) cursor.Skip(1);
  return true;
}

}  // namespace

void DecodeRle(ByteSource& data, std::size_t start, RleKind kind, std::int32_t width,
               const BottomUpRows& rows) {
  SourceCursor cursor(data, start);
  RlePen pen(kind, width, rows);
  std::uint8_t first = 0;
  std::uint8_t second = 0;
  // Every pass consumes at least two bytes, so the loop ends with the data.
  while (pen.inside() && cursor.ReadU8(first) && cursor.ReadU8(second)) {
    if (first != kEscape) {
      for (int i = 0; i < first; ++i) pen.Put(IndexAt(kind, second, i));
      continue;
    }
    switch (second) {
      case kEndOfLine:
        pen.NextLine();
        break;
      case kEndOfBitmap:
        return;
      case kDelta: {
        std::uint8_t dx = 0;
        std::uint8_t dy = 0;
        if (!cursor.ReadU8(dx) || !cursor.ReadU8(dy)) return;
        pen.Move(dx, dy);
        break;
      }
      default:
        if (!DecodeAbsolute(cursor, kind, second, pen)) return;
        break;
    }
  }
}

}  // namespace varne::bmp
