// Loading a .bmp the user picks, as a Dib32.
#pragma once

#include "platform/win32.h"

inline constexpr int kPathBufferSize = 260;

// Receives the chosen path; shared by every open-file dialog the system runs.
extern char PathBuffer[kPathBufferSize];

// Runs the open-file dialog owned by `owner` and loads the chosen file as a
// Dib32; none if the user cancelled or the file is not a readable bitmap.
HBITMAP LoadBitmapFile(HWND owner);

// Brings a loaded bitmap of any depth to a Dib32. Consumes its argument: it
// is either returned as it is (already a bottom-up BI_RGB 32-bpp section) or
// converted and released. None if the new surface cannot be made.
HBITMAP NormalizeTo32Bpp(HBITMAP bitmap);
