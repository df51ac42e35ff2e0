// The program's real dialog on the platform at hand: Win32 with the compiled
// template (under Wine on a virtual display) or the Linux layer with the
// embedded one. The procedure is MainDialogProc; the test only watches.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "platform/win32.h"
#include "tests/support/platform_quirks.h"

namespace {

struct Observed {
  bool allControls = false;
  LRESULT rangeMax = -1;
  LRESULT position = -1;
  LRESULT realTime = -1;
  bool pictureEmptyAfterEffects = false;
  bool buddyOnTheRight = false;
  int closes = 0;
};
Observed observed;

constexpr int kEffects[] = {IDC_GRAYSCALE, IDC_EMBOSS,  IDC_INVERT,   IDC_WATERMARK,
                            IDC_APPLY_SKIN, IDC_EDGES, IDC_ROTATE_45};

void Inspect(HWND dialog) {
  observed.allControls = true;
  for (int id = IDC_PICTURE; id <= IDC_ROTATE_45; ++id)
    observed.allControls = observed.allControls && GetDlgItem(dialog, id) != nullptr;
  observed.rangeMax = SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETRANGEMAX, 0, 0);
  observed.position = SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETPOS, 0, 0);
  observed.buddyOnTheRight = SendDlgItemMessageA(dialog, IDC_THRESHOLD, TBM_GETBUDDY, FALSE, 0) ==
                             reinterpret_cast<LRESULT>(GetDlgItem(dialog, IDC_THRESHOLD_VALUE));
  // Before any open every effect ends at its fresh copy: no dialog, no picture.
  for (int id : kEffects) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
  SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_CLICK, 0, 0);
  observed.realTime = SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_GETCHECK, 0, 0);
  observed.pictureEmptyAfterEffects =
      SendDlgItemMessageA(dialog, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0;
}

#ifdef _WIN32
constexpr UINT_PTR kCloseTimer = 1;

// Whether any window can be made: Wine without a display driver refuses all.
bool WineHasADisplayDriver() {
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}
#endif

// Wraps the program's procedure: inspects after its WM_INITDIALOG, then lets
// the dialog run briefly in its own loop before closing it as the close box would.
INT_PTR CALLBACK WatchingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) ++observed.closes;
  const INT_PTR result = MainDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    Inspect(dialog);
#ifdef _WIN32
    SetTimer(dialog, kCloseTimer, 300, nullptr);
#else
    SendMessageA(dialog, WM_CLOSE, 0, 0);
#endif
  }
#ifdef _WIN32
  if (message == WM_TIMER && wParam == kCloseTimer) {
    KillTimer(dialog, kCloseTimer);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }
#endif
  return result;
}

TEST(MainDialogSmokeTest, TheTemplateBuildsTheProgramsDialogWhichItsCloseEnds) {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 1);  // real widgets, no display needed
#endif
  InitCommonControls();
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                         nullptr, WatchingProcedure, 0);
#ifdef _WIN32
  if (result == -1 && varne::test::RunningOnWine() && !WineHasADisplayDriver())
    GTEST_SKIP() << "this Wine session has no display driver (its prefix was booted without a "
                    "display), so no window can be created at all";
#endif
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(observed.allControls);
  EXPECT_EQ(observed.rangeMax, 255);
  EXPECT_EQ(observed.position, 0);
  EXPECT_TRUE(observed.buddyOnTheRight);
  EXPECT_EQ(observed.realTime, BST_CHECKED);
  EXPECT_TRUE(observed.pictureEmptyAfterEffects);
  EXPECT_EQ(observed.closes, 1);
  EXPECT_EQ(SourceImage, nullptr);
  EXPECT_EQ(CurrentImage, nullptr);
}

}  // namespace
