// The program's dialog, driven as a person would: MainDialogProc behind the
// real widgets, files chosen through a scripted chooser.
#include <gtest/gtest.h>

#include <QTest>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "effects/geometry/rotate_dib.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"
#include "platform/ui/modal_loop_hook.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/test_images.h"
#include "tests/support/effect_models.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

constexpr int kEffectButtons[] = {IDC_GRAYSCALE, IDC_EMBOSS,  IDC_INVERT,   IDC_WATERMARK,
                                  IDC_APPLY_SKIN, IDC_EDGES, IDC_ROTATE_45};

class AppDialogTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_EQ(LiveAtSetUp()->total(), 0);
    photo_ = WriteBmp24("photo.bmp", 37, 23, Gradient);
    other_ = WriteBmp24("other.bmp", 12, 30, [](int x, int y) { return (x * 20u) << 8 | y * 8u; });
    // Black-on-white shape: a filled square with white around it.
    shape_ = WriteBmp24("shape.bmp", 20, 16, [](int x, int y) {
      return x >= 5 && x < 14 && y >= 4 && y < 11 ? 0u : 0xFFFFFFu;
    });
    skin_ = WriteBmp24("skin.bmp", 5, 3, [](int x, int y) { return 0x102030u * (x + y + 1); });
  }

  void TearDown() override {
    if (SourceImage != nullptr) DeleteObject(SourceImage);
    SourceImage = nullptr;
    LeakCheckedTest::TearDown();
  }

  // Runs the program's dialog with `script`; the script must close it.
  void Run(const std::function<void(DialogDriver&)>& script) {
    EXPECT_EQ(RunDialog(IDD_MAIN, MainDialogProc, script), 0);
    EXPECT_EQ(CurrentImage, nullptr) << "closing releases the current image";
  }

  static HBITMAP Shown(DialogDriver& driver) {
    return reinterpret_cast<HBITMAP>(SendMessageA(driver.Item(IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0));
  }

  // Source and shown image, nothing else: no context, mask or brush left.
  static void ExpectOnlySourceAndShownLive(DialogDriver& driver) {
    const LiveObjects live = *LiveGdiObjects();
    const int expected = (SourceImage != nullptr) + (Shown(driver) != nullptr && Shown(driver) != SourceImage);
    EXPECT_EQ(live.bitmaps, expected);
    EXPECT_EQ(live.deviceContexts, 0);
    EXPECT_EQ(live.brushes, 0);
  }

  // What a command should show: `effect` run on a fresh copy of the source
  // and returning the image the command shows, for the commands whose
  // pixel rules their own suites check.
  static Picture Expected(HBITMAP (*effect)(HBITMAP copy)) {
    HBITMAP shown = effect(CopyDib32(SourceImage));
    Picture pixels = PictureFromSection(shown);
    DeleteObject(shown);
    return pixels;
  }

  ScriptedChooser chooser_;
  std::string photo_, other_, shape_, skin_;
};

TEST_F(AppDialogTest, BeforeAnyOpenEveryEffectAndTheTrackbarLeaveThePictureEmpty) {
  Run([&](DialogDriver& driver) {
    for (int id : kEffectButtons) {
      driver.Click(id);
      EXPECT_EQ(Shown(driver), nullptr) << id;
      ExpectOnlySourceAndShownLive(driver);
    }
    driver.DragThumb(IDC_THRESHOLD, {60, 90});
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_End);
    driver.Click(IDC_REAL_TIME);
    driver.DragThumb(IDC_THRESHOLD, {10, 40});
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), "0");
    EXPECT_EQ(Shown(driver), nullptr);
    driver.CloseBox();
  });
  EXPECT_TRUE(chooser_.calls().empty()) << "Watermark and ApplySkin ask for nothing without a source";
}

TEST_F(AppDialogTest, OpenShowsTheFileCancelKeepsItAndReopenReplacesIt) {
  chooser_.Answer(photo_);
  chooser_.Answer(std::nullopt);
  chooser_.Answer(other_);
  chooser_.Answer("/no/such/file.bmp");
  Run([&](DialogDriver& driver) {
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), "0");
    driver.Click(IDC_OPEN_BMP);
    const Picture photo = PictureFromSection(Shown(driver));
    ASSERT_EQ(photo.width, 37);
    ASSERT_EQ(photo.height, 23);
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) ASSERT_EQ(photo.at(x, y) & 0xFFFFFFu, Gradient(x, y));
    EXPECT_NE(Shown(driver), SourceImage) << "the picture shows a copy";
    ExpectOnlySourceAndShownLive(driver);

    const HBITMAP source = SourceImage, shown = Shown(driver);
    driver.Click(IDC_OPEN_BMP);  // cancelled
    EXPECT_EQ(SourceImage, source);
    EXPECT_EQ(Shown(driver), shown);
    EXPECT_EQ(PictureFromSection(Shown(driver)), photo);

    driver.Click(IDC_INVERT);
    driver.Click(IDC_OPEN_BMP);  // the other file
    EXPECT_EQ(PictureFromSection(Shown(driver)).width, 12);
    EXPECT_EQ(PictureFromSection(Shown(driver)), PictureFromSection(SourceImage));
    ExpectOnlySourceAndShownLive(driver);

    const Picture other = PictureFromSection(Shown(driver));
    driver.Click(IDC_OPEN_BMP);  // unreadable
    EXPECT_EQ(PictureFromSection(Shown(driver)), other);
    driver.CloseBox();
  });
  ASSERT_EQ(chooser_.calls().size(), 4u);
  for (const ScriptedChooser::Call& call : chooser_.calls()) {
    EXPECT_EQ(call.title, "Open file");
    EXPECT_EQ(call.filter, (std::vector<std::string>{"Bitmap files (*.bmp)", "*.bmp"}));
    EXPECT_EQ(call.flags, 0x000A1004u);
    EXPECT_EQ(call.maxFile, 260u);
    EXPECT_EQ(call.filterIndex, 1u);
    EXPECT_EQ(call.firstFileByte, '\0') << "every dialog starts with an empty name";
  }
}

TEST_F(AppDialogTest, EffectsStartFromTheSourceEveryTimeAndNeverAccumulate) {
  chooser_.Answer(photo_);
  Run([&](DialogDriver& driver) {
    driver.Click(IDC_OPEN_BMP);
    const Picture source = PictureFromSection(SourceImage);
    const Picture gray = Greyed(source), negative = Inverted(source);
    for (int round = 0; round < 2; ++round) {
      driver.Click(IDC_GRAYSCALE);
      EXPECT_EQ(PictureFromSection(Shown(driver)), gray);
      driver.Click(IDC_INVERT);
      EXPECT_EQ(PictureFromSection(Shown(driver)), negative) << "inverting the source, not the grey picture";
      driver.Click(IDC_INVERT);
      EXPECT_EQ(PictureFromSection(Shown(driver)), negative) << "a second Invert does not undo the first";
      driver.Click(IDC_ROTATE_45);
      EXPECT_EQ(PictureFromSection(Shown(driver)), Expected([](HBITMAP copy) {
                  HBITMAP turned = RotateDib(copy, DegreesToRadians(45), 0x00C0C0C0);
                  DeleteObject(copy);
                  return turned;
                }));
      driver.Click(IDC_EDGES);
      EXPECT_EQ(PictureFromSection(Shown(driver)), Expected([](HBITMAP copy) {
                  EdgesDib(copy, 127);
                  return copy;
                }));
      driver.Click(IDC_EMBOSS);
      EXPECT_EQ(PictureFromSection(Shown(driver)), Expected([](HBITMAP copy) {
                  HBITMAP embossed = EmbossDib(copy, -128);
                  return embossed ? embossed : copy;
                }));
      ExpectOnlySourceAndShownLive(driver);
    }
    EXPECT_EQ(PictureFromSection(SourceImage), source) << "no command changes the source";
    driver.CloseBox();
  });
}

TEST_F(AppDialogTest, WithoutRealTimeTheNumberFollowsTheDragAndThePictureChangesOnceAtTheEnd) {
  chooser_.Answer(photo_);
  Run([&](DialogDriver& driver) {
    driver.Click(IDC_OPEN_BMP);
    const Picture source = PictureFromSection(SourceImage);
    driver.Click(IDC_GRAYSCALE);
    const HBITMAP before = Shown(driver);
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    const QPoint grab = bar.ThumbRect().center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, grab);
    for (int x : {grab.x() + 30, grab.x() + 70, grab.x() + 120}) {
      QTest::mouseMove(&bar, QPoint(x, grab.y()));
      EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), std::to_string(bar.position()));
      EXPECT_EQ(Shown(driver), before) << "the picture waits for the end of the drag";
    }
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(grab.x() + 120, grab.y()));
    const int position = bar.position();
    EXPECT_GT(position, 0);
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), std::to_string(position));
    EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, position))
        << "thresholded from the source, not from the grey picture";

    driver.KeyTo(IDC_THRESHOLD, Qt::Key_Right);
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), std::to_string(position + 1));
    EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, position + 1));
    driver.Key(Qt::Key_Home);
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), "0");
    EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, 0)) << "all white below 16";
    ExpectOnlySourceAndShownLive(driver);
    driver.CloseBox();
  });
}

TEST_F(AppDialogTest, WithRealTimeEveryMoveRecomputesThePictureFromTheSource) {
  chooser_.Answer(photo_);
  Run([&](DialogDriver& driver) {
    driver.Click(IDC_OPEN_BMP);
    const Picture source = PictureFromSection(SourceImage);
    driver.Click(IDC_REAL_TIME);
    EXPECT_EQ(PictureFromSection(Shown(driver)), source) << "ticking the box changes no image";
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    const QPoint grab = bar.ThumbRect().center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, grab);
    for (int x : {grab.x() + 40, grab.x() + 100, grab.x() + 60}) {
      QTest::mouseMove(&bar, QPoint(x, grab.y()));
      EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), std::to_string(bar.position()));
      EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, bar.position()));
      ExpectOnlySourceAndShownLive(driver);
    }
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(grab.x() + 60, grab.y()));
    EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, bar.position()));
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_PageDown);
    EXPECT_EQ(PictureFromSection(Shown(driver)), Thresholded(source, bar.position()));
    driver.CloseBox();
  });
}

TEST_F(AppDialogTest, WatermarkAsksForAMarkAndItsCancelLeavesEverythingAsItWas) {
  chooser_.Answer(photo_);
  chooser_.Answer(std::nullopt);
  chooser_.Answer(shape_);
  Run([&](DialogDriver& driver) {
    driver.Click(IDC_OPEN_BMP);
    driver.Click(IDC_GRAYSCALE);
    const HBITMAP shown = Shown(driver);
    const Picture gray = PictureFromSection(shown);
    driver.Click(IDC_WATERMARK);  // cancelled
    EXPECT_EQ(chooser_.calls().size(), 2u);
    EXPECT_EQ(Shown(driver), shown);
    EXPECT_EQ(CurrentImage, shown) << "the current image is the one from before";
    EXPECT_EQ(PictureFromSection(shown), gray);
    ExpectOnlySourceAndShownLive(driver);
    // The trackbar still works on the remembered image.
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_End);
    EXPECT_EQ(ItemText(driver.dialog(), IDC_THRESHOLD_VALUE), "255");

    driver.Click(IDC_WATERMARK);
    HBITMAP mark = static_cast<HBITMAP>(LoadImageA(nullptr, shape_.c_str(), IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    HBITMAP copy = CopyDib32(SourceImage);
    HBITMAP expected = WatermarkDib(mark, copy, 1, 0, 0, 0x00FF8080, 0x00A00000);
    EXPECT_EQ(PictureFromSection(Shown(driver)), PictureFromSection(expected));
    for (HBITMAP bitmap : {mark, copy, expected}) DeleteObject(bitmap);
    EXPECT_EQ(WatermarkImage, nullptr);
    ExpectOnlySourceAndShownLive(driver);
    driver.CloseBox();
  });
}

TEST_F(AppDialogTest, ApplySkinAsksForATextureAndItsCancelLeavesEverythingAsItWas) {
  chooser_.Answer(shape_);
  chooser_.Answer(std::nullopt);
  chooser_.Answer(skin_);
  Run([&](DialogDriver& driver) {
    driver.Click(IDC_OPEN_BMP);
    driver.Click(IDC_INVERT);
    const HBITMAP shown = Shown(driver);
    driver.Click(IDC_APPLY_SKIN);  // cancelled
    EXPECT_EQ(Shown(driver), shown);
    EXPECT_EQ(CurrentImage, shown);
    EXPECT_EQ(SkinWorkCopy, nullptr);
    ExpectOnlySourceAndShownLive(driver);

    driver.Click(IDC_APPLY_SKIN);
    HBITMAP skin = static_cast<HBITMAP>(LoadImageA(nullptr, skin_.c_str(), IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    HBITMAP copy = CopyDib32(SourceImage);
    HBITMAP expected = SkinDib(copy, skin, 0, 0x00FF8080, 0x00A00000);
    EXPECT_EQ(PictureFromSection(Shown(driver)), PictureFromSection(expected));
    for (HBITMAP bitmap : {skin, copy, expected}) DeleteObject(bitmap);
    EXPECT_EQ(SkinImage, nullptr);
    EXPECT_EQ(SkinWorkCopy, nullptr);
    ExpectOnlySourceAndShownLive(driver);
    driver.CloseBox();
  });
  EXPECT_EQ(chooser_.calls().size(), 3u);
}

TEST_F(AppDialogTest, EnterAndEscapeDoNotCloseTheProgramsDialog) {
  Run([&](DialogDriver& driver) {
    driver.KeyTo(IDC_REAL_TIME, Qt::Key_Return);
    driver.Key(Qt::Key_Escape);
    EXPECT_TRUE(driver.Window().isVisible());
    EXPECT_TRUE(chooser_.calls().empty()) << "Enter on the check box is not a click of Open Bmp";
    driver.KeyTo(IDC_OPEN_BMP, Qt::Key_Return);  // cancelled: nothing scripted
    EXPECT_EQ(chooser_.calls().size(), 1u);
    EXPECT_TRUE(driver.Window().isVisible());
    driver.CloseBox();
  });
}

}  // namespace
}  // namespace varne::test
