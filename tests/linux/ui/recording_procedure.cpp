#include "tests/linux/ui/recording_procedure.h"

#include "app/resources/resource.h"

namespace varne::test {

std::vector<Arrival>& Arrivals() {
  static std::vector<Arrival> arrivals;
  return arrivals;
}

std::vector<WORD> ScrollCodes() {
  std::vector<WORD> codes;
  for (const Arrival& arrival : Arrivals())
    if (arrival.message == WM_HSCROLL) codes.push_back(LOWORD(arrival.wParam));
  return codes;
}

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Arrivals().clear();
      SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_SETRANGE, TRUE, 0x00FF0000);
      SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_SETBUDDY, FALSE,
                          reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_THRESHOLD_VALUE)));
      return TRUE;
    case WM_COMMAND:
    case WM_HSCROLL:
      Arrivals().push_back({message, wParam, lParam,
                            SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETPOS, 0, 0),
                            SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_GETCHECK, 0, 0)});
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, kClosedResult);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace varne::test
