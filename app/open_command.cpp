#include "app/commands.h"
#include "app/image_slots.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"

void OpenBmpCommand(HWND dialog) {
  HBITMAP opened = LoadBitmapFile(dialog);
  if (opened == nullptr) return;  // cancelled or unreadable: nothing changes
  if (SourceImage != nullptr) DeleteObject(SourceImage);
  SourceImage = opened;
  // Not tested: a failed copy shows none, which empties the picture area.
  CurrentImage = CopyDib32(opened);
  ShowImage(dialog, CurrentImage);
}
