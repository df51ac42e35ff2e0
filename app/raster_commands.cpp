// Edges and Emboss: one image in, the platform's raster operations over it.
#include "app/commands.h"
#include "app/image_slots.h"
#include "effects/raster/raster_ops.h"

namespace {

constexpr int kEdgesThreshold = 127;
// Negative: bright parts become black, dark parts white, before the drawing.
constexpr int kEmbossThreshold = -128;

}  // namespace

void EdgesCommand(HWND dialog) {
  if (!TakeFreshCopy()) return;
  EdgesDib(CurrentImage, kEdgesThreshold);
  ShowImage(dialog, CurrentImage);
}

void EmbossCommand(HWND dialog) {
  if (!TakeFreshCopy()) return;
  // On success EmbossDib has released the copy; on failure the copy stays.
  if (HBITMAP embossed = EmbossDib(CurrentImage, kEmbossThreshold)) CurrentImage = embossed;
  ShowImage(dialog, CurrentImage);
}
