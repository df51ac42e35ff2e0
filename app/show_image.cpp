#include "app/main_dialog.h"
#include "app/resources/resource.h"

void ShowImage(HWND dialog, HBITMAP image) {
  // The picture area hands back what it showed; that image is ours to free.
  const auto previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(
      dialog, IDC_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
  if (previous != nullptr) DeleteObject(previous);
}
