#include "app/commands.h"
#include "app/main_dialog.h"
#include "image/dib32.h"

bool TakeFreshCopy() {
  // The image on screen stays owned by the picture area; ShowImage frees it.
  CurrentImage = CopyDib32(SourceImage);
  return CurrentImage != nullptr;
}
