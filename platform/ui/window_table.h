// The layer's windows behind HWNDs. A handle is a number the table hands out
// once and never reuses, so a stale handle finds nothing instead of a
// destroyed widget.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/win32_types.h"

namespace varne::ui {

// What answers SendMessageA for one window.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

HWND RegisterWindow(QWidget* widget, MessageTarget* target, HWND parent, int id);
void UnregisterWindow(HWND window);

// Null for a handle that is unknown or whose widget is gone.
QWidget* WidgetOf(HWND window);
MessageTarget* TargetOf(HWND window);
HWND ParentOf(HWND window);
HWND HandleOf(const QWidget* widget);
HWND FindChild(HWND parent, int id);

}  // namespace varne::ui
