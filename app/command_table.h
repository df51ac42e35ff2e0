// Which control runs which command.
#pragma once

#include "platform/win32.h"

using CommandProcedure = void (*)(HWND dialog);

// The command of control `id`, or null when the control has none.
CommandProcedure FindCommand(int id);
