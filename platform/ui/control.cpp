#include "platform/ui/control.h"

#include <algorithm>
#include <cstring>

#include "platform/win32.h"

namespace varne::ui {

LRESULT Control::Notify(UINT message, WPARAM wParam) const {
  return SendMessageA(dialog_, message, wParam, reinterpret_cast<LPARAM>(handle_));
}

bool HandleTextMessage(QString& text, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SETTEXT:
      text = lParam ? QString::fromUtf8(reinterpret_cast<const char*>(lParam)) : QString();
      result = TRUE;
      return true;
    case WM_GETTEXTLENGTH:
      result = text.toUtf8().size();
      return true;
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (out == nullptr || wParam == 0) {
        result = 0;
        return true;
      }
      const QByteArray bytes = text.toUtf8();
      const size_t copied = std::min<size_t>(bytes.size(), wParam - 1);
      std::memcpy(out, bytes.constData(), copied);
      out[copied] = '\0';
      result = static_cast<LRESULT>(copied);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace varne::ui
