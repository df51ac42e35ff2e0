// Watermark and ApplySkin: each asks for a second bitmap, which lives only
// for the command.
#include "app/commands.h"
#include "app/image_slots.h"
#include "effects/raster/raster_ops.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"

namespace {

constexpr COLORREF kLightRim = 0x00FF8080;  // red 128, green 128, blue 255
constexpr COLORREF kDarkRim = 0x00A00000;   // red 0, green 0, blue 160

}  // namespace

void WatermarkCommand(HWND dialog) {
  HBITMAP shown = CurrentImage;
  if (!TakeFreshCopy()) return;
  HBITMAP copy = CurrentImage;
  WatermarkImage = LoadBitmapFile(dialog);
  if (WatermarkImage == nullptr) {
    // Cancelled: as if the button had never been pressed.
    DeleteObject(copy);
    CurrentImage = shown;
    return;
  }
  CurrentImage = WatermarkDib(WatermarkImage, copy, 1, 0, 0, kLightRim, kDarkRim);
  DeleteObject(copy);
  ShowImage(dialog, CurrentImage);
  DeleteObject(WatermarkImage);
  WatermarkImage = nullptr;
}

void ApplySkinCommand(HWND dialog) {
  // CurrentImage is left alone until the result exists.
  SkinWorkCopy = CopyDib32(SourceImage);
  if (SkinWorkCopy == nullptr) return;
  SkinImage = LoadBitmapFile(dialog);
  if (SkinImage == nullptr) {
    DeleteObject(SkinWorkCopy);
    SkinWorkCopy = nullptr;
    return;
  }
  CurrentImage = SkinDib(SkinWorkCopy, SkinImage, 0, kLightRim, kDarkRim);
  DeleteObject(SkinImage);
  SkinImage = nullptr;
  ShowImage(dialog, CurrentImage);
  DeleteObject(SkinWorkCopy);
  SkinWorkCopy = nullptr;
}
