// ShowImage frees every image the picture area is done with, including when
// the area shows a private copy: Common Controls 6 copies a bitmap whose
// fourth bytes are not all zero (a 32-bit file with alpha, for one) and
// hands back the copy, not the image it was given.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "image/dib32.h"
#include "platform/win32.h"

namespace {

struct Released {
  bool ran = false;
  bool firstAfterSecondShown = false;
  bool secondAfterEmptied = false;
  bool plainAfterEmptied = false;
};
Released released;

HBITMAP SolidDib32(DWORD word) {
  const HDC screen = GetDC(nullptr);
  const HBITMAP image = CreateDib32(screen, 6, 4);
  ReleaseDC(nullptr, screen);
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return image;
  for (std::size_t i = 0; i < WordCount(pixels); ++i) pixels.words[i] = word;
  return image;
}

bool Gone(HBITMAP image) { return GetObjectType(image) == 0; }

INT_PTR CALLBACK ShowingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const INT_PTR result = MainDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    released.ran = true;
    const HBITMAP first = SolidDib32(0xFF336699u);
    const HBITMAP second = SolidDib32(0x80CC8844u);
    ShowImage(dialog, first);
    ShowImage(dialog, second);
    released.firstAfterSecondShown = Gone(first);
    ShowImage(dialog, nullptr);
    released.secondAfterEmptied = Gone(second);
    // A plain 0x00RRGGBB image after them is shown and handed back as itself.
    const HBITMAP plain = SolidDib32(0x00336699u);
    ShowImage(dialog, plain);
    ShowImage(dialog, nullptr);
    released.plainAfterEmptied = Gone(plain);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  }
  return result;
}

TEST(ShowImageTest, ImagesWithFourthBytesSetAreFreedOnceTheAreaIsDoneWithThem) {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
  InitCommonControls();
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                         nullptr, ShowingProcedure, 0);
  if (!released.ran) GTEST_SKIP() << "no dialog could be created here (result " << result << ")";
  EXPECT_TRUE(released.firstAfterSecondShown);
  EXPECT_TRUE(released.secondAfterEmptied);
  EXPECT_TRUE(released.plainAfterEmptied);
}

}  // namespace
