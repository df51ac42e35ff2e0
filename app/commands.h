// The dialog's commands: each a short procedure over the image slots, run
// from the command table (buttons) or from WM_HSCROLL (the trackbar).
#pragma once

#include "platform/win32.h"

void OpenBmpCommand(HWND dialog);
void GrayScaleCommand(HWND dialog);
void InvertCommand(HWND dialog);
void EmbossCommand(HWND dialog);
void EdgesCommand(HWND dialog);
void Rotate45Command(HWND dialog);
void WatermarkCommand(HWND dialog);
void ApplySkinCommand(HWND dialog);

// The trackbar's notification; `code` is the low word of WM_HSCROLL's wParam.
void ThresholdCommand(HWND dialog, WORD code);
