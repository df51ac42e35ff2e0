// Screen and memory DCs, what they hold, and their colours.
#include "platform/raster/gdi.h"
#include "platform/raster/handle_table.h"

using varne::raster::Brush;
using varne::raster::DeviceContext;
using varne::raster::Objects;
using varne::raster::Surface;

namespace {

DeviceContext* FindDc(HDC dc) { return Objects().Find<DeviceContext>(dc); }

HDC InsertDc(DeviceContext context) {
  return static_cast<HDC>(Objects().Insert(std::move(context)));
}

HGDIOBJ SelectBitmap(DeviceContext& context, HBITMAP handle, Surface& surface) {
  // The screen has no bitmap to replace, and a bitmap lives in one DC at a
  // time; the shared stock bitmap is the exception.
  if (context.screen) return nullptr;
  if (context.bitmap == handle) return handle;
  if (surface.selections > 0 && !Objects().IsStock(handle)) return nullptr;
  Surface* previous = Objects().Find<Surface>(context.bitmap);
  if (previous != nullptr) --previous->selections;
  ++surface.selections;
  const HBITMAP replaced = context.bitmap;
  context.bitmap = handle;
  return replaced;
}

HGDIOBJ SelectBrush(DeviceContext& context, HBRUSH handle, Brush& brush) {
  Brush* previous = Objects().Find<Brush>(context.brush);
  if (previous != nullptr) --previous->selections;
  ++brush.selections;
  const HBRUSH replaced = context.brush;
  context.brush = handle;
  return replaced;
}

void Deselect(const DeviceContext& context) {
  if (Surface* surface = Objects().Find<Surface>(context.bitmap)) --surface->selections;
  if (Brush* brush = Objects().Find<Brush>(context.brush)) --brush->selections;
}

COLORREF Exchange(COLORREF& slot, COLORREF colour) {
  const COLORREF previous = slot;
  slot = colour;
  return previous;
}

DeviceContext FreshContext(bool screen) {
  DeviceContext context;
  context.screen = screen;
  context.brush = varne::raster::StockWhiteBrush();
  ++Objects().Find<Brush>(context.brush)->selections;
  if (!screen) {
    context.bitmap = varne::raster::StockBitmap();
    ++Objects().Find<Surface>(context.bitmap)->selections;
  }
  return context;
}

}  // namespace

HDC GetDC(HWND) { return InsertDc(FreshContext(true)); }

int ReleaseDC(HWND, HDC dc) {
  const DeviceContext* context = FindDc(dc);
  if (context == nullptr || !context->screen) return 0;
  Deselect(*context);
  Objects().Erase(dc);
  return 1;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && FindDc(dc) == nullptr) return nullptr;
  return InsertDc(FreshContext(false));
}

BOOL DeleteDC(HDC dc) {
  const DeviceContext* context = FindDc(dc);
  if (context == nullptr || context->screen) return FALSE;
  Deselect(*context);
  Objects().Erase(dc);
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr) return nullptr;
  if (Surface* surface = Objects().Find<Surface>(object)) {
    return SelectBitmap(*context, static_cast<HBITMAP>(object), *surface);
  }
  if (Brush* brush = Objects().Find<Brush>(object)) {
    return SelectBrush(*context, static_cast<HBRUSH>(object), *brush);
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  const DeviceContext* context = FindDc(dc);
  if (context == nullptr) return nullptr;
  if (type == OBJ_BITMAP) return context->bitmap;
  if (type == OBJ_BRUSH) return context->brush;
  return nullptr;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  DeviceContext* context = FindDc(dc);
  return context ? Exchange(context->background, colour) : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  DeviceContext* context = FindDc(dc);
  return context ? Exchange(context->text, colour) : CLR_INVALID;
}

COLORREF GetBkColor(HDC dc) {
  const DeviceContext* context = FindDc(dc);
  return context ? context->background : CLR_INVALID;
}

COLORREF GetTextColor(HDC dc) {
  const DeviceContext* context = FindDc(dc);
  return context ? context->text : CLR_INVALID;
}
