// Messages to windows and dialog items by handle or identifier.
#include <string>

#include "platform/ui/user.h"
#include "platform/ui/window_table.h"

HWND GetDlgItem(HWND dialog, int id) { return varne::ui::FindChild(dialog, id); }

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  varne::ui::MessageTarget* target = varne::ui::TargetOf(window);
  return target ? target->OnMessage(message, wParam, lParam) : 0;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  const std::string text =
      isSigned ? std::to_string(static_cast<INT>(value)) : std::to_string(value);
  return SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? TRUE : FALSE;
}
