// What assistive technology is told about the controls Qt cannot describe by
// itself: the hand-drawn trackbar and the static controls. Push buttons and
// the check box are Qt's own buttons, whose interfaces already give their
// captions and check state.
#pragma once

namespace varne::ui {

// Idempotent. Must run before the first control exists: Qt keeps the
// interface it first made for a widget until the widget is destroyed.
void InstallControlAccessibility();

}  // namespace varne::ui
