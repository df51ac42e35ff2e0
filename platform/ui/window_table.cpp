#include "platform/ui/window_table.h"

#include <map>

namespace varne::ui {
namespace {

struct Entry {
  QPointer<QWidget> widget;
  MessageTarget* target = nullptr;
  HWND parent = nullptr;
  int id = 0;
};

std::map<UINT_PTR, Entry>& Table() {
  static std::map<UINT_PTR, Entry> table;
  return table;
}

const Entry* Find(HWND window) {
  const auto found = Table().find(reinterpret_cast<UINT_PTR>(window));
  if (found == Table().end() || found->second.widget.isNull()) return nullptr;
  return &found->second;
}

}  // namespace

HWND RegisterWindow(QWidget* widget, MessageTarget* target, HWND parent, int id) {
  // Multiples of 4 from 0x10000 up, like real window handles never null.
  static UINT_PTR next = 0x10000;
  next += 4;
  Table()[next] = Entry{widget, target, parent, id};
  return reinterpret_cast<HWND>(next);
}

void UnregisterWindow(HWND window) { Table().erase(reinterpret_cast<UINT_PTR>(window)); }

QWidget* WidgetOf(HWND window) {
  const Entry* entry = Find(window);
  return entry ? entry->widget.data() : nullptr;
}

MessageTarget* TargetOf(HWND window) {
  const Entry* entry = Find(window);
  return entry ? entry->target : nullptr;
}

HWND ParentOf(HWND window) {
  const Entry* entry = Find(window);
  return entry ? entry->parent : nullptr;
}

HWND HandleOf(const QWidget* widget) {
  for (const auto& [handle, entry] : Table())
    if (entry.widget == widget) return reinterpret_cast<HWND>(handle);
  return nullptr;
}

HWND FindChild(HWND parent, int id) {
  if (parent == nullptr) return nullptr;
  for (const auto& [handle, entry] : Table())
    if (entry.parent == parent && entry.id == id && !entry.widget.isNull())
      return reinterpret_cast<HWND>(handle);
  return nullptr;
}

}  // namespace varne::ui
