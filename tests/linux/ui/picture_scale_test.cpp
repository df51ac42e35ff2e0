// The picture area on a scaled screen: one bitmap pixel per device pixel,
// centred in the area's device pixels and clipped to them, whole repaints
// and partial ones alike. The suite runs with the rest at scale 1, and again
// on its own at QT_SCALE_FACTOR 2 and 1.5 (tests/CMakeLists.txt); what it
// reads is the window's backing store, the pixels the screen gets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QRegion>
#include <cmath>
#include <random>

#include "app/resources/resource.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"
#include "tests/linux/ui/test_images.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

void InvertColours(HBITMAP bitmap) {
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
  auto* words = static_cast<std::uint32_t*>(section.dsBm.bmBits);
  for (int i = 0; i < section.dsBm.bmWidth * section.dsBm.bmHeight; ++i) words[i] ^= 0x00FFFFFFu;
}

// A rectangle on the device, its edges possibly inside pixels.
struct DeviceRect {
  double left, top, right, bottom;

  // Pixels the rectangle touches at all, and pixels wholly inside it.
  QRect Touched() const {
    return QRect(QPoint(int(std::floor(left)), int(std::floor(top))),
                 QPoint(int(std::ceil(right)) - 1, int(std::ceil(bottom)) - 1));
  }
  QRect Inside() const {
    return QRect(QPoint(int(std::ceil(left)), int(std::ceil(top))),
                 QPoint(int(std::floor(right)) - 1, int(std::floor(bottom)) - 1));
  }
};

class PictureScaleTest : public LeakCheckedTest {
 protected:
  void Run(const std::function<void(DialogDriver&)>& script) {
    RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
      window_ = &driver.Window();
      picture_ = &driver.Static(IDC_PICTURE);
      scale_ = window_->devicePixelRatioF();
      if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        EXPECT_EQ(scale_, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()) << "the scale took effect";
      }
      script(driver);
      driver.CloseBox();
    });
  }

  // Where a rectangle of the picture, in its logical coordinates, lies on the device.
  DeviceRect OnDevice(QRect logical) const {
    const QPoint inWindow = picture_->mapTo(window_, logical.topLeft());
    return {inWindow.x() * scale_, inWindow.y() * scale_, (inWindow.x() + logical.width()) * scale_,
            (inWindow.y() + logical.height()) * scale_};
  }

  // The window's pixels as the screen receives them, once pending paints are done.
  QImage Screen() const {
    QApplication::processEvents();
    QPaintDevice* device = window_->backingStore()->paintDevice();
    if (device->devType() != QInternal::Image) return {};
    return static_cast<QImage*>(device)->convertToFormat(QImage::Format_RGB32);
  }

  // Top-left device pixel of a bitmap centred in the device pixels the area touches.
  QPoint Origin(const Picture& bitmap) const {
    const QRect area = OnDevice(picture_->clientRect()).Touched();
    return area.topLeft() + QPoint(area.width() / 2 - bitmap.width / 2, area.height() / 2 - bitmap.height / 2);
  }

  QWidget* window_ = nullptr;
  ui::StaticControl* picture_ = nullptr;
  double scale_ = 1;
};

TEST_F(PictureScaleTest, EveryDevicePixelOfTheAreaShowsOneBitmapPixelCentredOrTheBackground) {
  std::mt19937 random(5);
  Run([&](DialogDriver& driver) {
    const QRect area = OnDevice(picture_->clientRect()).Touched();
    const QRgb background = picture_->palette().color(QPalette::Window).rgb();
    // Odd sizes, so that halves round; smaller than the area, larger in
    // both directions, and larger in one only.
    for (const QSize size : {QSize(9, 5), QSize(area.width() + 3, area.height() + 2),
                             QSize(area.width() + 7, 33)}) {
      HBITMAP bitmap = RandomSection(size.width(), size.height(), false, random);
      ASSERT_NE(bitmap, nullptr);
      SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
      const Picture pixels = PictureFromSection(bitmap);
      const QImage screen = Screen();
      ASSERT_FALSE(screen.isNull());
      const QPoint origin = Origin(pixels);
      // Edge pixels shared with the sunken border may be the border's.
      const QRect inside = OnDevice(picture_->clientRect()).Inside();
      int bitmapPixelsSeen = 0;
      for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
          const int bx = x - origin.x(), by = y - origin.y();
          const bool onBitmap = bx >= 0 && by >= 0 && bx < pixels.width && by < pixels.height;
          bitmapPixelsSeen += onBitmap;
          const QRgb expected = onBitmap ? AsTheAreaShowsIt(pixels.at(bx, by)) : background;
          ASSERT_EQ(screen.pixel(x, y), expected)
              << size.width() << "x" << size.height() << " at device " << x << "," << y;
        }
      }
      EXPECT_GT(bitmapPixelsSeen, 0);
      SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, 0);
      DeleteObject(bitmap);
    }
  });
}

TEST_F(PictureScaleTest, PartialRepaintsRedrawTheirDevicePixelsWithTheSameAlignment) {
  std::mt19937 random(11);
  Run([&](DialogDriver& driver) {
    const QRect area = OnDevice(picture_->clientRect()).Touched();
    HBITMAP bitmap = RandomSection(area.width() + 5, area.height() + 5, false, random);
    ASSERT_NE(bitmap, nullptr);
    SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    const Picture before = PictureFromSection(bitmap);
    ASSERT_FALSE(Screen().isNull());
    InvertColours(bitmap);
    const Picture after = PictureFromSection(bitmap);
    // Damage at odd logical places: on a fractional scale their edges fall
    // inside device pixels; one crosses the sunken edge.
    const std::vector<QRect> damage = {QRect(37, 11, 25, 9), QRect(0, 50, 13, 7), QRect(101, 77, 1, 1)};
    for (const QRect& rect : damage) picture_->repaint(rect);
    const QImage screen = Screen();
    const QPoint origin = Origin(before);
    const QRect inside = OnDevice(picture_->clientRect()).Inside();
    QRegion wholly, partly;
    for (const QRect& rect : damage) {
      wholly += OnDevice(rect).Inside();
      partly += OnDevice(rect).Touched();
    }
    int redrawn = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        const QRgb old = AsTheAreaShowsIt(before.at(x - origin.x(), y - origin.y()));
        const QRgb fresh = AsTheAreaShowsIt(after.at(x - origin.x(), y - origin.y()));
        const QRgb got = screen.pixel(x, y);
        if (wholly.contains(QPoint(x, y)))
          ASSERT_EQ(got, fresh) << "damaged device pixel " << x << "," << y;
        else if (!partly.contains(QPoint(x, y)))
          ASSERT_EQ(got, old) << "undamaged device pixel " << x << "," << y;
        else
          ASSERT_TRUE(got == old || got == fresh) << "device pixel at a damage edge " << x << "," << y;
        redrawn += got == fresh;
      }
    }
    EXPECT_GT(redrawn, 0);
    SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, 0);
    DeleteObject(bitmap);
  });
}

}  // namespace
}  // namespace varne::test
