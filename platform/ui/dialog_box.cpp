// DialogBoxParamA and EndDialog over DialogWindow.
#include <memory>

#include "platform/ui/application.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/user.h"

namespace {

constexpr UINT_PTR kLargestIntegerResource = 0xFFFF;

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam) {
  // Only integer resource names: the program's templates have numbers.
  const auto name = reinterpret_cast<UINT_PTR>(templateName);
  if (name == 0 || name > kLargestIntegerResource) return -1;
  const varne::ui::DialogTemplate* dialog = varne::ui::FindDialogTemplate(static_cast<int>(name));
  if (dialog == nullptr) return -1;
  varne::ui::EnsureApplication();
  const auto window = std::make_unique<varne::ui::DialogWindow>(*dialog, procedure, owner);
  return window->RunModal(initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto* window = dynamic_cast<varne::ui::DialogWindow*>(varne::ui::WidgetOf(dialog));
  return window ? window->End(result) : FALSE;
}
