#include "tests/linux/ui/dialog_driver.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/modal_loop_hook.h"
#include "platform/ui/open_file_chooser.h"
#include "platform/ui/window_table.h"

namespace varne::test {
namespace {

// Before any test creates the application: real widgets, no display, unless
// the run names a platform (the Wayland run under a headless compositor).
const bool kPlatformChosen = [] {
  const char* chosen = std::getenv("VARNE_TEST_QPA_PLATFORM");
  setenv("QT_QPA_PLATFORM", chosen != nullptr && *chosen != '\0' ? chosen : "offscreen", 1);
  return true;
}();

QPoint Middle(const QWidget& widget) { return widget.rect().center(); }

}  // namespace

DialogDriver::DialogDriver(HWND dialog) : dialog_(dialog) {
  Window().activateWindow();
  QApplication::processEvents();
}

HWND DialogDriver::Item(int id) const { return GetDlgItem(dialog_, id); }

QWidget& DialogDriver::Widget(int id) const {
  QWidget* widget = ui::WidgetOf(Item(id));
  if (widget == nullptr) throw std::runtime_error("no control " + std::to_string(id));
  return *widget;
}

QWidget& DialogDriver::Window() const { return *ui::WidgetOf(dialog_); }

ui::TrackbarControl& DialogDriver::Trackbar(int id) const {
  return dynamic_cast<ui::TrackbarControl&>(Widget(id));
}

ui::StaticControl& DialogDriver::Static(int id) const {
  return dynamic_cast<ui::StaticControl&>(Widget(id));
}

void DialogDriver::Click(int id) {
  QWidget& widget = Widget(id);
  QTest::mouseClick(&widget, Qt::LeftButton, {}, Middle(widget));
}

void DialogDriver::Key(int key) {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = Window().focusWidget();
  if (target == nullptr) target = &Window();
  QTest::keyClick(target, static_cast<Qt::Key>(key));
}

void DialogDriver::KeyTo(int id, int key) {
  Widget(id).setFocus(Qt::MouseFocusReason);
  QTest::keyClick(&Widget(id), static_cast<Qt::Key>(key));
}

void DialogDriver::DragThumb(int id, const std::vector<int>& xs) {
  ui::TrackbarControl& trackbar = Trackbar(id);
  const QPoint grab = trackbar.ThumbRect().center();
  QTest::mousePress(&trackbar, Qt::LeftButton, {}, grab);
  for (int x : xs) QTest::mouseMove(&trackbar, QPoint(x, grab.y()));
  QTest::mouseRelease(&trackbar, Qt::LeftButton, {}, QPoint(xs.empty() ? grab.x() : xs.back(), grab.y()));
}

void DialogDriver::ClickChannel(int id, int x) {
  ui::TrackbarControl& trackbar = Trackbar(id);
  QTest::mouseClick(&trackbar, Qt::LeftButton, {}, QPoint(x, trackbar.ChannelRect().center().y()));
}

void DialogDriver::CloseBox() { Window().close(); }

INT_PTR RunDialog(int templateId, DLGPROC procedure,
                  const std::function<void(DialogDriver&)>& script) {
  (void)kPlatformChosen;
  ui::ModalLoopHook previous = ui::SetModalLoopHook([&script](HWND dialog) {
    {
      DialogDriver driver(dialog);
      script(driver);
    }
    QApplication::processEvents();
    if (ui::WidgetOf(dialog) != nullptr && ui::WidgetOf(dialog)->isVisible()) {
      ADD_FAILURE() << "the script left the dialog running";
      EndDialog(dialog, kLeftRunning);
    }
  });
  const INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, procedure, 0);
  ui::SetModalLoopHook(std::move(previous));
  return result;
}

ScriptedChooser::ScriptedChooser() {
  ui::SetOpenFileChooser([this](const OPENFILENAMEA& record) -> std::optional<std::string> {
    Call call{record.lStructSize, record.lpstrTitle ? record.lpstrTitle : "", {}, record.Flags,
              record.nFilterIndex, record.nMaxFile,
              record.lpstrDefExt ? record.lpstrDefExt : "",
              record.lpstrFile ? record.lpstrFile[0] : '?'};
    for (const char* part = record.lpstrFilter; part && *part; part += std::strlen(part) + 1)
      call.filter.emplace_back(part);
    calls_.push_back(std::move(call));
    if (calls_.size() > answers_.size()) return std::nullopt;
    return answers_[calls_.size() - 1];
  });
}

ScriptedChooser::~ScriptedChooser() { ui::SetOpenFileChooser({}); }

std::string ItemText(HWND dialog, int id) {
  char buffer[64] = {};
  SendDlgItemMessageA(dialog, id, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

}  // namespace varne::test
