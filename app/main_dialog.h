// The main dialog's procedure: the floor above the commands.
#pragma once

#include "platform/win32.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
