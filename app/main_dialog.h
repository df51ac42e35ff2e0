// The main dialog: its procedure, the image slots, the fresh copy every
// effect starts from, and ShowImage.
#pragma once

#include "platform/win32.h"

// Image slots, process-wide; none until a command fills them.
extern HBITMAP SourceImage;
extern HBITMAP CurrentImage;
extern HBITMAP WatermarkImage;
extern HBITMAP SkinImage;
extern HBITMAP SkinWorkCopy;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// CurrentImage := a fresh copy of SourceImage; false (CurrentImage none)
// when there is no source image or the copy fails.
bool TakeFreshCopy();

// Hands `image` to the picture area and releases the image it showed before.
void ShowImage(HWND dialog, HBITMAP image);
