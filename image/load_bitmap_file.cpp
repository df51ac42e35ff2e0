#include <cstring>

#include "image/bitmap_loader.h"

char PathBuffer[kPathBufferSize];

namespace {

// One description/pattern pair; the literal's own NUL ends the list.
constexpr char kBitmapFilter[] = "Bitmap files (*.bmp)\0*.bmp\0";

}  // namespace

HBITMAP LoadBitmapFile(HWND owner) {
  // Clearing the start is enough for the dialog to open with an empty name,
  // whatever was chosen last time.
  std::memset(PathBuffer, 0, 4);
  OPENFILENAMEA record{};
  // The record without the Windows 2000 tail; a 32-bit-sized record is
  // refused at once by 64-bit Windows.
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = owner;
  record.lpstrFilter = kBitmapFilter;
  record.nFilterIndex = 1;
  record.lpstrFile = PathBuffer;
  record.nMaxFile = kPathBufferSize;
  record.lpstrTitle = "Open file";
  record.Flags = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  record.lpstrDefExt = "bmp";
  if (GetOpenFileNameA(&record) == 0) return nullptr;
  // The loader reads the name up to its NUL, which must lie in the buffer.
  if (std::memchr(PathBuffer, '\0', sizeof(PathBuffer)) == nullptr) return nullptr;
  const HANDLE loaded = LoadImageA(nullptr, PathBuffer, IMAGE_BITMAP, 0, 0,
                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (loaded == nullptr) return nullptr;
  return NormalizeTo32Bpp(static_cast<HBITMAP>(loaded));
}
