// The "Button" class: push buttons and automatic check boxes. Both tell the
// dialog WM_COMMAND with BN_CLICKED; a check box has toggled by then.
#pragma once

#include <QCheckBox>
#include <QPushButton>

#include "platform/ui/control.h"

namespace varne::ui {

class PushButtonControl : public QPushButton, public Control {
 public:
  PushButtonControl(QWidget* parent, HWND dialog, int id, const QString& text);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  QString caption_;
};

class CheckBoxControl : public QCheckBox, public Control {
 public:
  CheckBoxControl(QWidget* parent, HWND dialog, int id, const QString& text);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  QString caption_;
};

}  // namespace varne::ui
