#include "platform/ui/button_control.h"

#include "platform/win32.h"

namespace varne::ui {
namespace {

// Shared by both kinds; the caption is kept as the ANSI text the caller set.
template <typename Button>
LRESULT ButtonMessage(Button& button, QString& caption, UINT message, WPARAM wParam,
                      LPARAM lParam) {
  LRESULT result = 0;
  if (HandleTextMessage(caption, message, wParam, lParam, result)) {
    if (message == WM_SETTEXT) button.setText(caption);
    return result;
  }
  if (message == BM_CLICK) button.click();
  return 0;
}

}  // namespace

PushButtonControl::PushButtonControl(QWidget* parent, HWND dialog, int id, const QString& text)
    : QPushButton(text, parent), Control(this, dialog, id), caption_(text) {
  // Enter is the dialog's business (it clicks the focused push button), so
  // the button itself must not act as a default button.
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this,
          [this] { Notify(WM_COMMAND, MAKEWPARAM(this->id(), BN_CLICKED)); });
}

LRESULT PushButtonControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonMessage(*this, caption_, message, wParam, lParam);
}

CheckBoxControl::CheckBoxControl(QWidget* parent, HWND dialog, int id, const QString& text)
    : QCheckBox(text, parent), Control(this, dialog, id), caption_(text) {
  // QAbstractButton emits clicked after it has toggled, as BN_CLICKED comes
  // after the automatic check box's toggle.
  connect(this, &QCheckBox::clicked, this,
          [this] { Notify(WM_COMMAND, MAKEWPARAM(this->id(), BN_CLICKED)); });
}

LRESULT CheckBoxControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return isChecked() ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      // Setting the state is silent, as on the platform: no BN_CLICKED.
      setChecked(wParam == BST_CHECKED);
      return 0;
    default:
      return ButtonMessage(*this, caption_, message, wParam, lParam);
  }
}

}  // namespace varne::ui
