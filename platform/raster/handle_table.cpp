#include "platform/raster/handle_table.h"

#include <utility>

namespace varne::raster {

namespace {

// Handle value: generation in the high 32 bits, slot index + 1 in the low
// 32, so no handle is null and a reused slot gets new handles.
void* HandleOf(std::uint32_t index, std::uint32_t generation) {
  const std::uint64_t value = (std::uint64_t{generation} << 32) | (std::uint64_t{index} + 1);
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
}

}  // namespace

HandleTable::Slot* HandleTable::SlotOf(const void* handle) {
  const std::uint64_t value = reinterpret_cast<std::uintptr_t>(handle);
  const std::uint64_t low = value & 0xFFFFFFFFu;
  if (low == 0 || low > slots_.size()) return nullptr;
  Slot& slot = slots_[low - 1];
  if (slot.object == nullptr || slot.generation != (value >> 32)) return nullptr;
  return &slot;
}

void* HandleTable::Insert(GdiObject object, bool stock) {
  std::uint32_t index;
  if (!freeSlots_.empty()) {
    index = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    index = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Slot& slot = slots_[index];
  slot.object = std::make_unique<GdiObject>(std::move(object));
  slot.stock = stock;
  return HandleOf(index, slot.generation);
}

bool HandleTable::Erase(void* handle) {
  Slot* slot = SlotOf(handle);
  if (slot == nullptr || slot->stock) return false;
  slot->object.reset();
  ++slot->generation;
  // A slot whose generation wrapped would hand out old handles again.
  if (slot->generation != 0) {
    freeSlots_.push_back(static_cast<std::uint32_t>(slot - slots_.data()));
  }
  return true;
}

GdiObject* HandleTable::Find(const void* handle) {
  Slot* slot = SlotOf(handle);
  return slot == nullptr ? nullptr : slot->object.get();
}

bool HandleTable::IsStock(const void* handle) {
  Slot* slot = SlotOf(handle);
  return slot != nullptr && slot->stock;
}

LiveObjects HandleTable::Count() const {
  LiveObjects live;
  for (const Slot& slot : slots_) {
    if (slot.object == nullptr || slot.stock) continue;
    if (std::holds_alternative<DeviceContext>(*slot.object)) ++live.deviceContexts;
    if (std::holds_alternative<Surface>(*slot.object)) ++live.bitmaps;
    if (std::holds_alternative<Brush>(*slot.object)) ++live.brushes;
  }
  return live;
}

namespace {

struct StockObjects {
  HandleTable table;
  HBITMAP bitmap;
  HBRUSH whiteBrush;

  StockObjects() {
    bitmap = static_cast<HBITMAP>(table.Insert(std::move(*MakeMonochromeSurface(1, 1)), true));
    whiteBrush = static_cast<HBRUSH>(table.Insert(Brush{0x00FFFFFF, 0}, true));
  }
};

StockObjects& Stock() {
  static StockObjects stock;
  return stock;
}

}  // namespace

HandleTable& Objects() { return Stock().table; }
HBITMAP StockBitmap() { return Stock().bitmap; }
HBRUSH StockWhiteBrush() { return Stock().whiteBrush; }

LiveObjects CountLiveObjects() { return Objects().Count(); }

}  // namespace varne::raster
