// How the controls tell assistive technology that something changed, and a
// way in for tests to hear it: the toolkit passes announcements on only while
// a screen reader is attached, which no offscreen run can pretend.
#pragma once

#include <QAccessible>
#include <functional>

namespace varne::ui {

using AccessibilityListener = std::function<void(const QAccessibleEvent& event)>;

// Installs `listener` and returns the one it replaces; empty means none.
AccessibilityListener SetAccessibilityListener(AccessibilityListener listener);

// To the listener, if any, then to the toolkit.
void Announce(QAccessibleEvent& event);

}  // namespace varne::ui
