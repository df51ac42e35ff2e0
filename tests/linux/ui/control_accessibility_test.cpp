// What a screen reader learns of the dialog: each control's role, name,
// state and value through Qt's accessibility interfaces, and the change
// events that make it speak up while the user works.
#include <gtest/gtest.h>

#include <QAccessible>
#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "platform/ui/accessibility_announcements.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"
#include "tests/linux/ui/test_images.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"

namespace varne::test {
namespace {

struct Heard {
  QObject* object;
  QAccessible::Event type;
  QVariant value;  // for value changes
};

std::vector<Heard>& Announcements() {
  static std::vector<Heard> heard;
  return heard;
}

void Listen(const QAccessibleEvent& event) {
  QVariant value;
  if (event.type() == QAccessible::ValueChanged)
    value = static_cast<const QAccessibleValueChangeEvent&>(event).value();
  Announcements().push_back({event.object(), event.type(), value});
}

std::vector<QVariant> ValuesHeardFrom(const QObject* object) {
  std::vector<QVariant> values;
  for (const Heard& heard : Announcements())
    if (heard.object == object && heard.type == QAccessible::ValueChanged) values.push_back(heard.value);
  return values;
}

int TimesHeard(const QObject* object, QAccessible::Event type) {
  return static_cast<int>(std::count_if(Announcements().begin(), Announcements().end(),
                                        [&](const Heard& h) { return h.object == object && h.type == type; }));
}

// The toolkit passes announcements on only while a screen reader is
// attached; the layer's listener hears them in its place.
class ControlAccessibilityTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    Announcements().clear();
    previous_ = ui::SetAccessibilityListener(Listen);
  }
  void TearDown() override {
    ui::SetAccessibilityListener(std::move(previous_));
    if (SourceImage != nullptr) DeleteObject(SourceImage);
    SourceImage = nullptr;
    LeakCheckedTest::TearDown();
  }

  static QAccessibleInterface& Of(DialogDriver& driver, int id) {
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(&driver.Widget(id));
    if (found == nullptr) throw std::runtime_error("no interface for " + std::to_string(id));
    return *found;
  }

  ui::AccessibilityListener previous_;
};

TEST_F(ControlAccessibilityTest, ButtonsAndTheCheckBoxAreNamedByTheirCaptions) {
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    for (int id : {IDC_OPEN_BMP, IDC_GRAYSCALE, IDC_EMBOSS, IDC_INVERT, IDC_WATERMARK, IDC_APPLY_SKIN,
                   IDC_EDGES, IDC_ROTATE_45}) {
      QAccessibleInterface& button = Of(driver, id);
      SCOPED_TRACE(ItemText(driver.dialog(), id));
      ASSERT_FALSE(ItemText(driver.dialog(), id).empty());
      EXPECT_EQ(button.role(), QAccessible::Button);
      EXPECT_EQ(button.text(QAccessible::Name).toStdString(), ItemText(driver.dialog(), id));
      EXPECT_TRUE(button.state().focusable);
      EXPECT_EQ(button.state().focused, id == IDC_OPEN_BMP) << "the focus starts on the first tab stop";
    }
    QAccessibleInterface& box = Of(driver, IDC_REAL_TIME);
    EXPECT_EQ(box.role(), QAccessible::CheckBox);
    EXPECT_EQ(box.text(QAccessible::Name), "Real time");
    EXPECT_TRUE(box.state().checkable);
    EXPECT_FALSE(box.state().checked);
    driver.Click(IDC_REAL_TIME);
    EXPECT_TRUE(box.state().checked);
    driver.CloseBox();
  });
}

TEST_F(ControlAccessibilityTest, TheTrackbarIsASliderFrom0To255AnnouncingEachMove) {
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    QWidget& bar = driver.Widget(IDC_THRESHOLD);
    QAccessibleInterface& slider = Of(driver, IDC_THRESHOLD);
    EXPECT_EQ(slider.role(), QAccessible::Slider);
    EXPECT_TRUE(slider.state().focusable);
    EXPECT_FALSE(slider.state().invisible);
    QAccessibleValueInterface* value = slider.valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 255);
    EXPECT_EQ(value->currentValue().toInt(), 0);

    const int start = driver.Trackbar(IDC_THRESHOLD).ThumbRect().center().x();
    driver.DragThumb(IDC_THRESHOLD, {start + 20, start + 60});
    const int dragged = static_cast<int>(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0));
    ASSERT_GT(dragged, 0);
    EXPECT_EQ(value->currentValue().toInt(), dragged);
    EXPECT_EQ(slider.text(QAccessible::Value), QString::number(dragged));
    const std::vector<QVariant> heard = ValuesHeardFrom(&bar);
    ASSERT_EQ(heard.size(), 2u) << "one announcement per move that changed the position";
    EXPECT_EQ(heard.back().toInt(), dragged);

    driver.KeyTo(IDC_THRESHOLD, Qt::Key_End);
    EXPECT_EQ(value->currentValue().toInt(), 255);
    EXPECT_TRUE(slider.state().focused);
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_End);
    SendMessageA(driver.Item(IDC_THRESHOLD), TBM_SETPOS, TRUE, 7);
    EXPECT_EQ(ValuesHeardFrom(&bar), (std::vector<QVariant>{heard[0], heard[1], 255, 7}))
        << "a key at the end changes nothing and says nothing; TBM_SETPOS is heard";
    driver.CloseBox();
  });
}

TEST_F(ControlAccessibilityTest, PictureAndNumberFollowAnOpenedFileAndTheThreshold) {
  ScriptedChooser chooser;
  chooser.Answer(WriteBmp24("seen.bmp", 37, 23, Gradient));
  RunDialog(IDD_MAIN, MainDialogProc, [&](DialogDriver& driver) {
    QAccessibleInterface& picture = Of(driver, IDC_PICTURE);
    QAccessibleInterface& number = Of(driver, IDC_THRESHOLD_VALUE);
    EXPECT_EQ(picture.role(), QAccessible::Graphic);
    EXPECT_EQ(picture.text(QAccessible::Name), "Picture");
    EXPECT_EQ(picture.text(QAccessible::Description), "Empty");
    EXPECT_FALSE(picture.state().focusable);
    EXPECT_EQ(number.role(), QAccessible::StaticText);
    EXPECT_EQ(number.text(QAccessible::Name), "0");

    driver.Click(IDC_OPEN_BMP);
    EXPECT_EQ(picture.text(QAccessible::Description), QString::fromUtf8("37 \u00D7 23 pixels"));
    EXPECT_GE(TimesHeard(&driver.Widget(IDC_PICTURE), QAccessible::DescriptionChanged), 1);
    driver.Click(IDC_ROTATE_45);
    const Picture rotated = PictureFromSection(reinterpret_cast<HBITMAP>(
        SendMessageA(driver.Item(IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0)));
    ASSERT_GT(rotated.width, 37);
    EXPECT_EQ(picture.text(QAccessible::Description),
              QString::fromUtf8("%1 \u00D7 %2 pixels").arg(rotated.width).arg(rotated.height));

    const int renamedBefore = TimesHeard(&driver.Widget(IDC_THRESHOLD_VALUE), QAccessible::NameChanged);
    const int start = driver.Trackbar(IDC_THRESHOLD).ThumbRect().center().x();
    driver.DragThumb(IDC_THRESHOLD, {start + 45});
    const QString position = Of(driver, IDC_THRESHOLD).text(QAccessible::Value);
    EXPECT_NE(position, "0");
    EXPECT_EQ(number.text(QAccessible::Name), position) << "the number reads as the slider's value";
    EXPECT_GT(TimesHeard(&driver.Widget(IDC_THRESHOLD_VALUE), QAccessible::NameChanged), renamedBefore);
    driver.CloseBox();
  });
  EXPECT_EQ(CurrentImage, nullptr);
}

// What is said matches what is drawn: nothing for a bitmap the area cannot draw.
TEST_F(ControlAccessibilityTest, APictureWhoseBitmapIsGoneReadsAsEmpty) {
  std::mt19937 random(3);
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    QAccessibleInterface& picture = Of(driver, IDC_PICTURE);
    HBITMAP shown = RandomSection(5, 3, false, random);
    SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(picture.text(QAccessible::Description), QString::fromUtf8("5 \u00D7 3 pixels"));
    DeleteObject(shown);
    EXPECT_EQ(picture.text(QAccessible::Description), "Empty");
    SendMessageA(driver.Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, 0);
    driver.CloseBox();
  });
}

}  // namespace
}  // namespace varne::test
