// A dialog procedure for the layer's own tests: it sets up the trackbar as
// the program does, ends the dialog on WM_CLOSE with kClosedResult, and
// records every WM_COMMAND and WM_HSCROLL with the state seen on arrival.
#pragma once

#include <vector>

#include "platform/win32.h"

namespace varne::test {

inline constexpr INT_PTR kClosedResult = 5;

struct Arrival {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT trackbarPosition;  // TBM_GETPOS when the message arrived
  LRESULT realTimeCheck;     // BM_GETCHECK of the check box then
};

// Cleared whenever a dialog with the procedure starts.
std::vector<Arrival>& Arrivals();
std::vector<WORD> ScrollCodes();  // the low words of the WM_HSCROLLs, in order

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace varne::test
