#include "platform/ui/accessibility_announcements.h"

#include <utility>

namespace varne::ui {
namespace {

AccessibilityListener& Installed() {
  static AccessibilityListener listener;
  return listener;
}

}  // namespace

AccessibilityListener SetAccessibilityListener(AccessibilityListener listener) {
  return std::exchange(Installed(), std::move(listener));
}

void Announce(QAccessibleEvent& event) {
  if (Installed()) Installed()(event);
  QAccessible::updateAccessibility(&event);
}

}  // namespace varne::ui
