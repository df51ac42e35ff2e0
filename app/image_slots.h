// The image slots, the fresh copy every effect starts from, and ShowImage:
// what the commands work on. Nothing here calls a command or the dialog's
// procedure.
#pragma once

#include "platform/win32.h"

// Process-wide; none until a command fills them.
extern HBITMAP SourceImage;
extern HBITMAP CurrentImage;
extern HBITMAP WatermarkImage;
extern HBITMAP SkinImage;
extern HBITMAP SkinWorkCopy;

// CurrentImage := a fresh copy of SourceImage; false (CurrentImage none)
// when there is no source image or the copy fails.
bool TakeFreshCopy();

// Hands `image` to the picture area and releases the image it showed before.
void ShowImage(HWND dialog, HBITMAP image);
