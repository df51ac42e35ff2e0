#include "app/commands.h"
#include "app/image_slots.h"
#include "effects/geometry/rotate_dib.h"

namespace {

constexpr float kRotateDegrees = 45.0f;
constexpr COLORREF kRotateBackground = 0x00C0C0C0;  // red 192, green 192, blue 192

}  // namespace

void Rotate45Command(HWND dialog) {
  if (!TakeFreshCopy()) return;
  HBITMAP copy = CurrentImage;
  CurrentImage = RotateDib(copy, DegreesToRadians(kRotateDegrees), kRotateBackground);
  DeleteObject(copy);
  // A failed rotation shows none, which empties the picture area.
  ShowImage(dialog, CurrentImage);
}
