// The main dialog: its procedure, the image slots and ShowImage.
#pragma once

#include "platform/win32.h"

// Image slots, process-wide; none until a command fills them.
extern HBITMAP SourceImage;
extern HBITMAP CurrentImage;
extern HBITMAP WatermarkImage;
extern HBITMAP SkinImage;
extern HBITMAP SkinWorkCopy;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Hands `image` to the picture area and releases the image it showed before.
void ShowImage(HWND dialog, HBITMAP image);
