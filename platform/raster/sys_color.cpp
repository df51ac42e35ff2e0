#include "platform/raster/gdi.h"

// The platform's current default scheme for the colours the system reads.
DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE: return 0x00F0F0F0;      // RGB(240, 240, 240)
    case COLOR_3DSHADOW: return 0x00A0A0A0;     // RGB(160, 160, 160)
    case COLOR_3DHILIGHT: return 0x00FFFFFF;    // RGB(255, 255, 255)
    default: return 0;
  }
}
