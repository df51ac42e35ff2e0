// The one header the system's code includes to reach the platform.
// On Windows it is the real Win32 API; elsewhere it is our stand-in layer,
// which declares the same names, signatures and constants.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#else
#include "platform/win32_types.h"
#include "platform/raster/gdi.h"
#include "platform/bmp/load_image.h"
#include "platform/ui/user.h"
#endif
