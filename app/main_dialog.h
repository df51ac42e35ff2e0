// The main dialog's procedure: the floor above the commands. The image
// slots it shares with them come with it, for the entry and for whoever
// drives the dialog from outside.
#pragma once

#include "app/image_slots.h"
#include "platform/win32.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
