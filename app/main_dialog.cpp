#include "app/main_dialog.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/image_slots.h"
#include "app/resources/resource.h"

namespace {

constexpr LPARAM kThresholdRange = 0x00FF0000;  // minimum 0, maximum 255

void InitialiseDialog(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_SETRANGE, TRUE, kThresholdRange);
  SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_SETBUDDY, FALSE,
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_THRESHOLD_VALUE)));
  SetDlgItemInt(dialog, IDC_THRESHOLD_VALUE, 0, FALSE);
}

void CloseDialog(HWND dialog) {
  // SourceImage stays until the process ends.
  if (CurrentImage != nullptr) DeleteObject(CurrentImage);
  CurrentImage = nullptr;
  EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitialiseDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (const CommandProcedure command = FindCommand(LOWORD(wParam))) command(dialog);
      return TRUE;
    case WM_HSCROLL:
      ThresholdCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      CloseDialog(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
