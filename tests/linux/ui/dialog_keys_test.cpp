// Buttons, the check box, focus, Enter, Escape and the close box of a
// dialog, as the procedure sees them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "app/resources/resource.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"

namespace varne::test {
namespace {

std::vector<WPARAM> Commands() {
  std::vector<WPARAM> commands;
  for (const Arrival& arrival : Arrivals())
    if (arrival.message == WM_COMMAND) commands.push_back(arrival.wParam);
  return commands;
}

WPARAM Clicked(int id) { return MAKEWPARAM(id, BN_CLICKED); }

int GetDlgItemId(const DialogDriver& driver, QWidget* widget) {
  for (int id = IDC_PICTURE; id <= IDC_ROTATE_45; ++id)
    if (&driver.Widget(id) == widget) return id;
  return 0;
}

TEST(DialogKeysTest, FocusStartsOnTheFirstTabStopAndTabFollowsTheTemplate) {
  std::vector<int> visited;
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    for (int i = 0; i < 10; ++i) {
      visited.push_back(GetDlgItemId(driver, QApplication::focusWidget()));
      driver.Key(Qt::Key_Tab);
    }
    driver.CloseBox();
  });
  EXPECT_EQ(visited, (std::vector<int>{IDC_OPEN_BMP, IDC_REAL_TIME, IDC_GRAYSCALE, IDC_EMBOSS,
                                       IDC_INVERT, IDC_WATERMARK, IDC_APPLY_SKIN, IDC_EDGES,
                                       IDC_ROTATE_45, IDC_OPEN_BMP}));
}

TEST(DialogKeysTest, EnterClicksTheFocusedPushButtonAndIsIdOkElsewhereEscapeIsIdCancel) {
  bool openAfterKeys = false;
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    driver.Key(Qt::Key_Return);  // focus is on "Open Bmp"
    driver.KeyTo(IDC_REAL_TIME, Qt::Key_Enter);
    driver.Key(Qt::Key_Escape);
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_Return);
    openAfterKeys = driver.Window().isVisible();
    driver.CloseBox();
  });
  EXPECT_TRUE(openAfterKeys) << "neither Enter nor Escape ends the dialog";
  EXPECT_EQ(Commands(), (std::vector<WPARAM>{Clicked(IDC_OPEN_BMP), Clicked(IDOK),
                                             Clicked(IDCANCEL), Clicked(IDOK)}));
}

TEST(DialogKeysTest, ButtonsReportTheirIdAndWindowAndTheCheckBoxHasToggledByThen) {
  HWND grayScale = nullptr;
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    grayScale = driver.Item(IDC_GRAYSCALE);
    driver.Click(IDC_GRAYSCALE);
    driver.Click(IDC_REAL_TIME);
    driver.Click(IDC_REAL_TIME);
    driver.KeyTo(IDC_REAL_TIME, Qt::Key_Space);
    driver.CloseBox();
  });
  const std::vector<Arrival>& arrivals = Arrivals();
  ASSERT_EQ(arrivals.size(), 4u);
  EXPECT_EQ(arrivals[0].wParam, Clicked(IDC_GRAYSCALE));
  EXPECT_EQ(arrivals[0].lParam, reinterpret_cast<LPARAM>(grayScale));
  const LRESULT expectedChecks[] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(arrivals[i + 1].wParam, Clicked(IDC_REAL_TIME));
    EXPECT_EQ(arrivals[i + 1].realTimeCheck, expectedChecks[i]) << "click " << i;
  }
}

TEST(DialogKeysTest, OnlyTheCloseBoxEndsTheDialogWithTheProceduresResult) {
  const INT_PTR result = RunDialog(IDD_MAIN, RecordingProcedure, [](DialogDriver& driver) {
    SendMessageA(driver.Item(IDC_GRAYSCALE), BM_CLICK, 0, 0);
    driver.CloseBox();
  });
  EXPECT_EQ(result, kClosedResult);
  EXPECT_EQ(Commands(), (std::vector<WPARAM>{Clicked(IDC_GRAYSCALE)}));
}

// Returns FALSE for WM_CLOSE and ends only on IDCANCEL, as a procedure
// relying on the default dialog procedure would.
INT_PTR CALLBACK CancelOnlyProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return message == WM_INITDIALOG;
}

TEST(DialogKeysTest, AnUnhandledCloseArrivesAsCancel) {
  const INT_PTR result = RunDialog(IDD_MAIN, CancelOnlyProcedure, [](DialogDriver& driver) {
    driver.CloseBox();
    QTest::qWait(20);  // the cancel is posted, not sent
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST(DialogKeysTest, AnUnknownTemplateIsRefused) {
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4242), nullptr, RecordingProcedure, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "IDD_MAIN", nullptr, RecordingProcedure, 0), -1);
}

TEST(DialogKeysTest, CallsOnUnknownWindowsAnswerNothing) {
  HWND stale = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(SendMessageA(stale, TBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(GetDlgItem(stale, IDC_PICTURE), nullptr);
  EXPECT_FALSE(EndDialog(stale, 0));
  EXPECT_FALSE(SetDlgItemInt(stale, IDC_THRESHOLD_VALUE, 1, FALSE));
}

}  // namespace
}  // namespace varne::test
