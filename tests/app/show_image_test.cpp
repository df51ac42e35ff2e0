// ShowImage frees every image the picture area is done with, including when
// the area shows a private copy: Common Controls 6 copies a bitmap whose
// fourth bytes are not all zero (a 32-bit file with alpha, for one) and
// hands back the copy, not the image it was given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "platform/win32.h"
#include "tests/support/effect_models.h"
#include "tests/support/painted_client.h"
#include "tests/support/picture_bitmaps.h"

namespace {

using varne::test::Picture;

struct Released {
  bool ran = false;
  bool firstAfterSecondShown = false;
  bool secondAfterEmptied = false;
  bool plainAfterEmptied = false;
};
Released released;

HBITMAP SolidDib32(std::uint32_t word) { return varne::test::DibFromPicture(Picture(6, 4, word)); }

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

// The picture area given a bitmap with alpha, as Common Controls 6 treats
// it: a snapshot whose colours are premultiplied by the fourth byte,
// painted blended over the area's background and handed back in place of
// the bitmap given.
struct Blended {
  bool ran = false;
  bool copied = false;
  Picture given, copy, painted;
  LRESULT handedBack = 0, handedBackPlain = 0;
  HBITMAP copyHandle = nullptr, plain = nullptr;
};
Blended blended;
// Opaque first and last, so that the painted picture can be found.
const std::vector<std::uint32_t> kAlphaWords = {0xFF102030u, 0x44332211u, 0x00A0B0C0u, 0x80FF8040u,
                                                0xFFC08020u};

INT_PTR CALLBACK BlendingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const INT_PTR result = MainDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    blended.ran = true;
    const HWND area = GetDlgItem(dialog, IDC_PICTURE);
    const HBITMAP given = varne::test::DibFromPicture(varne::test::FromPixels(5, 1, kAlphaWords));
    SendMessageA(area, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(given));
    blended.copyHandle = reinterpret_cast<HBITMAP>(SendMessageA(area, STM_GETIMAGE, IMAGE_BITMAP, 0));
    blended.copied = blended.copyHandle != given && blended.copyHandle != nullptr;
    // A snapshot: what the caller writes afterwards is not shown.
    DeleteObject(given);
    blended.copy = varne::test::PictureFromSection(blended.copyHandle);
    blended.painted = varne::test::PaintedClient(area);
    blended.plain = SolidDib32(0x00336699u);
    blended.handedBack = SendMessageA(area, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(blended.plain));
    blended.handedBackPlain = SendMessageA(area, STM_SETIMAGE, IMAGE_BITMAP, 0);
    DeleteObject(blended.copyHandle);
    DeleteObject(blended.plain);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  }
  return result;
}

TEST(ShowImageTest, APictureWithAlphaIsShownAsAPremultipliedCopyBlendedOverTheArea) {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
  InitCommonControls();
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                  BlendingProcedure, 0);
  if (!blended.ran) GTEST_SKIP() << "no dialog could be created here";
  ASSERT_TRUE(blended.copied);
  EXPECT_EQ(blended.handedBack, reinterpret_cast<LRESULT>(blended.copyHandle));
  EXPECT_EQ(blended.handedBackPlain, reinterpret_cast<LRESULT>(blended.plain));
  const Picture given = varne::test::FromPixels(5, 1, kAlphaWords);
  EXPECT_EQ(blended.copy, varne::test::AsTheAreaKeepsIt(given));
  ASSERT_EQ(blended.copy.pixels.size(), kAlphaWords.size());
  EXPECT_EQ(blended.copy.pixels[1], 0x440E0905u) << "the bytes 11 22 33 44 become 05 09 0E 44";
  const Picture& painted = blended.painted;
  int atX = -1, atY = -1;
  for (int y = 0; y < painted.height && atX < 0; ++y)
    for (int x = 0; x < painted.width && atX < 0; ++x)
      if (painted.at(x, y) == 0x102030u) atX = x, atY = y;
  ASSERT_GE(atX, 0) << "the opaque first pixel is painted as it is";
  const DWORD background = painted.at(0, 0);
  for (int i = 0; i < given.width; ++i) {
    const DWORD kept = blended.copy.pixels[static_cast<std::size_t>(i)], alpha = kept >> 24;
    for (const int shift : {0, 8, 16}) {
      const auto expected = static_cast<int>(((kept >> shift) & 0xFF) + ((background >> shift) & 0xFF) * (255 - alpha) / 255);
      const auto got = static_cast<int>((painted.at(atX + i, atY) >> shift) & 0xFF);
      EXPECT_LE(std::abs(got - expected), 1) << "pixel " << i << ", shift " << shift;
    }
  }
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
