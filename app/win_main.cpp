// Start-up: one modal dialog, then exit with 259 however it ended.
#include "app/main_dialog.h"
#include "app/resources/resource.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc,
                  0);
  ExitProcess(259);
}
