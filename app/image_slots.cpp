// The process-wide image slots; all none until a command fills them.
#include "app/main_dialog.h"

HBITMAP SourceImage = nullptr;
HBITMAP CurrentImage = nullptr;
HBITMAP WatermarkImage = nullptr;
HBITMAP SkinImage = nullptr;
HBITMAP SkinWorkCopy = nullptr;
