// GrayScale, Invert and the trackbar's threshold.
#include "app/commands.h"
#include "app/image_slots.h"
#include "app/resources/resource.h"
#include "effects/pixel/pixel_effects.h"

void GrayScaleCommand(HWND dialog) {
  if (!TakeFreshCopy()) return;
  GrayScaleDib(CurrentImage);
  ShowImage(dialog, CurrentImage);
}

void InvertCommand(HWND dialog) {
  if (!TakeFreshCopy()) return;
  InvertDib(CurrentImage);
  ShowImage(dialog, CurrentImage);
}

void ThresholdCommand(HWND dialog, WORD code) {
  if (CurrentImage == nullptr) return;  // nothing to threshold: the number stays too
  const bool realTime =
      (SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0;
  if (code == TB_ENDTRACK || realTime) {
    if (!TakeFreshCopy()) return;
    const auto position =
        static_cast<UINT>(SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETPOS, 0, 0));
    ThresholdDib(CurrentImage, static_cast<int>(position));
    ShowImage(dialog, CurrentImage);
    SetDlgItemInt(dialog, IDC_THRESHOLD_VALUE, position, FALSE);
    return;
  }
  const auto position =
      static_cast<UINT>(SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETPOS, 0, 0));
  SetDlgItemInt(dialog, IDC_THRESHOLD_VALUE, position, FALSE);
}
