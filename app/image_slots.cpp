#include "app/image_slots.h"

#include "app/resources/resource.h"
#include "image/dib32.h"

HBITMAP SourceImage = nullptr;
HBITMAP CurrentImage = nullptr;
HBITMAP WatermarkImage = nullptr;
HBITMAP SkinImage = nullptr;
HBITMAP SkinWorkCopy = nullptr;

bool TakeFreshCopy() {
  // The image on screen stays owned by the picture area; ShowImage frees it.
  CurrentImage = CopyDib32(SourceImage);
  return CurrentImage != nullptr;
}

void ShowImage(HWND dialog, HBITMAP image) {
  // The image handed to the picture area last time. Common Controls 6 shows
  // a private copy of a bitmap whose fourth bytes are not all zero and hands
  // back that copy, not ours: then both are ours to free.
  static HBITMAP handedOver = nullptr;
  // The picture area hands back what it showed; that image is ours to free.
  const auto previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(
      dialog, IDC_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
  // A new dialog's area hands back none, so a handle from an earlier dialog
  // is never freed twice.
  if (previous != nullptr && previous != handedOver && handedOver != image)
    DeleteObject(handedOver);
  if (previous != nullptr) DeleteObject(previous);
  handedOver = image;
}
