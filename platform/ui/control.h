// Pieces every control of the layer shares: its handle, its identifier and
// the way it tells its dialog that something happened.
#pragma once

#include <QString>
#include <QWidget>

#include "platform/ui/window_table.h"

namespace varne::ui {

class Control : public MessageTarget {
 public:
  Control(QWidget* widget, HWND dialog, int id)
      : dialog_(dialog), id_(id), handle_(RegisterWindow(widget, this, dialog, id)) {}
  ~Control() override { UnregisterWindow(handle_); }
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND handle() const { return handle_; }
  int id() const { return id_; }

 protected:
  // Sent, not posted: the platform's controls notify synchronously.
  LRESULT Notify(UINT message, WPARAM wParam) const;

 private:
  HWND dialog_;
  int id_;
  HWND handle_;
};

// The ANSI text protocol (WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH) over a
// QString; false when `message` is none of them.
bool HandleTextMessage(QString& text, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace varne::ui
