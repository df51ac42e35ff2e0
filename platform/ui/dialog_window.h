// A dialog built from its template, with its procedure, and the modal loop
// that DialogBoxParamA runs over it.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/window_table.h"
#include "platform/ui/user.h"

namespace varne::ui {

class DialogWindow : public QWidget, public MessageTarget {
 public:
  DialogWindow(const DialogTemplate& dialog, DLGPROC procedure, HWND owner);
  ~DialogWindow() override;

  // WM_INITDIALOG, then the modal loop until EndDialog; returns its result.
  INT_PTR RunModal(LPARAM initParam);
  BOOL End(INT_PTR result);

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  HWND handle() const { return handle_; }
  BaseUnits baseUnits() const { return units_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls(const DialogTemplate& dialog);
  QWidget* FirstTabStop() const;
  void SendCommand(int id, HWND from);

  DLGPROC procedure_;
  HWND handle_;
  BaseUnits units_;
  std::vector<QWidget*> tabStops_;
  bool ended_ = false;
  INT_PTR result_ = 0;
  QEventLoop loop_;
  QTimer* idleMemoryTimer_;  // owned as a child
};

}  // namespace varne::ui
