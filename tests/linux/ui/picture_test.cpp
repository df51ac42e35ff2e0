// The picture area: which pixels it reads and where they land, against a
// direct per-pixel model, and the static control's handle protocol.
#include <gtest/gtest.h>

#include <QImage>
#include <QTransform>
#include <random>

#include "app/resources/resource.h"
#include "platform/ui/picture_pixels.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"
#include "tests/linux/ui/test_images.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

TEST(PicturePixelsTest, ReadsExactlyTheVisiblePixelsCentredByIntegerHalves) {
  std::mt19937 random(20261208);
  for (int trial = 0; trial < 60; ++trial) {
    const int w = 1 + static_cast<int>(random() % 90), h = 1 + static_cast<int>(random() % 70);
    const QSize client(1 + static_cast<int>(random() % 80), 1 + static_cast<int>(random() % 60));
    const QRect dirty = trial % 3 == 0 ? QRect(QPoint(0, 0), client)
                                       : QRect(static_cast<int>(random() % 40), static_cast<int>(random() % 30),
                                               static_cast<int>(random() % 50), static_cast<int>(random() % 40));
    const bool topDown = trial % 4 == 1;
    HBITMAP bitmap = RandomSection(w, h, topDown, random, true);
    ASSERT_NE(bitmap, nullptr);
    const Picture source = PictureFromSection(bitmap);
    SCOPED_TRACE(::testing::Message() << w << "x" << h << " in " << client.width() << "x"
                                      << client.height() << (topDown ? " top-down" : ""));

    const std::optional<ui::VisiblePart> part = ui::ReadVisiblePart(bitmap, client, dirty);
    // The model: every client pixel inside `dirty` that some bitmap pixel covers.
    const int left = client.width() / 2 - w / 2, top = client.height() / 2 - h / 2;
    int covered = 0;
    for (int y = 0; y < client.height(); ++y) {
      for (int x = 0; x < client.width(); ++x) {
        const int bx = x - left, by = y - top;
        if (!dirty.contains(x, y) || bx < 0 || by < 0 || bx >= w || by >= h) continue;
        ++covered;
        ASSERT_TRUE(part.has_value());
        const QPoint inPart = QPoint(x, y) - part->at;
        ASSERT_TRUE(part->pixels.rect().contains(inPart)) << x << "," << y;
        EXPECT_EQ(part->pixels.pixel(inPart), AsTheAreaShowsIt(source.at(bx, by)));
      }
    }
    if (covered == 0)
      EXPECT_FALSE(part.has_value());
    else
      EXPECT_EQ(part->pixels.width() * part->pixels.height(), covered) << "nothing beyond the visible";
    DeleteObject(bitmap);
  }
}

TEST(PicturePixelsTest, GivesNothingForReleasedOrUnsuitableHandles) {
  std::mt19937 random(7);
  HBITMAP bitmap = RandomSection(4, 4, false, random, true);
  DeleteObject(bitmap);
  EXPECT_FALSE(ui::ReadVisiblePart(bitmap, QSize(10, 10), QRect(0, 0, 10, 10)));
  EXPECT_FALSE(ui::ReadVisiblePart(nullptr, QSize(10, 10), QRect(0, 0, 10, 10)));
  HBITMAP mono = CreateBitmap(8, 8, 1, 1, nullptr);
  EXPECT_FALSE(ui::ReadVisiblePart(mono, QSize(10, 10), QRect(0, 0, 10, 10)));
  DeleteObject(mono);
}

TEST(PicturePixelsTest, CoversEveryDevicePixelARectangleTouchesAndNoMore) {
  // Whole pixels, a scale of 1.5 with edges inside pixels, and scales whose
  // products of doubles land a hair beside the integers they mean.
  EXPECT_EQ(ui::CoveredPixels(QRectF(6, 0, 1150, 462)), QRect(6, 0, 1150, 462));
  EXPECT_EQ(ui::CoveredPixels(QRectF(7.5, 1.5, 1147.5, 690)), QRect(7, 1, 1148, 691));
  const QRectF beyond = QTransform::fromScale(1.1, 1.1).mapRect(QRectF(50, 50, 50, 50));
  const QRectF under = QTransform::fromScale(1.15, 1.15).mapRect(QRectF(100, 100, 80, 80));
  ASSERT_GT(beyond.right(), 110.0) << "the case must carry rounding noise";
  ASSERT_LT(under.left(), 115.0) << "the case must carry rounding noise";
  EXPECT_EQ(ui::CoveredPixels(beyond), QRect(55, 55, 55, 55));
  EXPECT_EQ(ui::CoveredPixels(under), QRect(115, 115, 92, 92));
  EXPECT_TRUE(ui::CoveredPixels(QRectF(3, 3, 0, 5)).isEmpty());
}

TEST(PictureControlTest, ShowsTheBitmapCentredHandsBackThePreviousAndDrawsNothingOnceReleased) {
  std::mt19937 random(99);
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    ui::StaticControl& picture = driver.Static(IDC_PICTURE);
    HWND item = driver.Item(IDC_PICTURE);
    const QRect geometry = picture.geometry();
    HBITMAP first = RandomSection(9, 5, false, random);
    HBITMAP huge = RandomSection(geometry.width() * 2, geometry.height() * 3, false, random);

    EXPECT_EQ(SendMessageA(item, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(first)), 0);
    const QImage shown = picture.grab().toImage();
    const QRect client = picture.clientRect();
    const Picture pixels = PictureFromSection(first);
    const QPoint at = client.topLeft() + QPoint(client.width() / 2 - 4, client.height() / 2 - 2);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(shown.pixel(at + QPoint(x, y)) & 0xFFFFFFu, pixels.at(x, y) & 0xFFFFFFu);
    const QRgb background = shown.pixel(client.topLeft() + QPoint(2, 2));

    EXPECT_EQ(SendMessageA(item, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(huge)),
              reinterpret_cast<LRESULT>(first));
    EXPECT_EQ(SendMessageA(item, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(huge));
    picture.grab();
    EXPECT_EQ(picture.geometry(), geometry) << "the picture area never resizes";

    DeleteObject(huge);  // released while shown
    const QImage afterRelease = picture.grab().toImage();
    EXPECT_EQ(afterRelease.pixel(client.center()), background);
    EXPECT_EQ(SendMessageA(item, STM_SETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(huge));
    EXPECT_EQ(SendMessageA(item, STM_SETIMAGE, 1 /* IMAGE_ICON */, reinterpret_cast<LPARAM>(first)), 0);
    DeleteObject(first);
    driver.CloseBox();
  });
  EXPECT_EQ(LiveGdiObjects()->total(), 0);
}

}  // namespace
}  // namespace varne::test
