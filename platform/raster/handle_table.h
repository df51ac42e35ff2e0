// The one owner of every DC, bitmap and brush the layer hands out. A handle
// is a slot index plus the slot's generation, so a released handle (or one
// never issued) is recognised and refused instead of being dereferenced.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "platform/raster/brush.h"
#include "platform/raster/device_context.h"
#include "platform/raster/live_objects.h"
#include "platform/raster/surface.h"

namespace varne::raster {

using GdiObject = std::variant<DeviceContext, Surface, Brush>;

class HandleTable {
 public:
  // Stock objects are shared, never counted and never deleted.
  void* Insert(GdiObject object, bool stock = false);
  bool Erase(void* handle);

  GdiObject* Find(const void* handle);
  bool IsStock(const void* handle);

  template <typename T>
  T* Find(const void* handle) {
    GdiObject* object = Find(handle);
    return object == nullptr ? nullptr : std::get_if<T>(object);
  }

  LiveObjects Count() const;

 private:
  struct Slot {
    std::uint32_t generation = 1;
    bool stock = false;
    std::unique_ptr<GdiObject> object;
  };

  Slot* SlotOf(const void* handle);

  std::vector<Slot> slots_;
  std::vector<std::uint32_t> freeSlots_;
};

// The process's table, with the stock objects every memory DC starts with.
HandleTable& Objects();
HBITMAP StockBitmap();
HBRUSH StockWhiteBrush();

}  // namespace varne::raster
