// A DIALOGEX resource as the layer builds windows from it: positions and
// sizes in dialog units, styles as numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32_types.h"

namespace varne::ui {

struct ControlTemplate {
  std::string text;
  int id = 0;
  std::string className;
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  DWORD style = 0;
  std::string caption;
  int fontPoints = 8;
  std::string fontFace;
  std::vector<ControlTemplate> controls;
};

// Reads the DIALOGEX whose identifier is `id` from a resource script; names
// resolve through the #defines of `header` and the platform's style names.
// Scope: DIALOGEX with STYLE, EXSTYLE, CAPTION, FONT and CONTROL statements,
// which is all the program's script uses; anything else inside the dialog's
// block makes the whole template unreadable rather than half-built.
std::optional<DialogTemplate> ParseDialogTemplate(std::string_view script,
                                                  std::string_view header, int id);

// The template `id` of the embedded resource script, parsed once; null when
// the script has no such dialog.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace varne::ui
