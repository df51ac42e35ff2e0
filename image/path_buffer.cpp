#include "image/bitmap_loader.h"

char PathBuffer[kPathBufferSize];
