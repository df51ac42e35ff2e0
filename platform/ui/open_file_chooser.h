// What stands behind GetOpenFileNameA on Linux. By default it is the
// desktop's file dialog; tests replace it to script a choice or a cancel and
// to inspect the record the call received.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/win32_types.h"
#include "platform/ui/user.h"

namespace varne::ui {

// Returns the chosen path (UTF-8), or nothing when the user cancelled.
using OpenFileChooser = std::function<std::optional<std::string>(const OPENFILENAMEA& record)>;

// Installs a chooser and returns the one it replaces; an empty function
// puts back the desktop dialog.
OpenFileChooser SetOpenFileChooser(OpenFileChooser chooser);

// The desktop's file dialog, titled and filtered from the record.
OpenFileChooser DesktopOpenFileChooser();

}  // namespace varne::ui
