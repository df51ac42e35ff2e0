#include "platform/ui/trackbar_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/ui/accessibility_announcements.h"
#include "platform/win32.h"

namespace varne::ui {
namespace {

constexpr int kThumbWidth = 11;
constexpr int kThumbTop = 3;
constexpr int kSideMargin = 4;
constexpr int kChannelThickness = 4;
// The platform waits before a held click in the channel starts repeating.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;

std::optional<WORD> KeyCode(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      return TB_LINEUP;
    case Qt::Key_Right:
    case Qt::Key_Down:
      return TB_LINEDOWN;
    case Qt::Key_PageUp:
      return TB_PAGEUP;
    case Qt::Key_PageDown:
      return TB_PAGEDOWN;
    case Qt::Key_Home:
      return TB_TOP;
    case Qt::Key_End:
      return TB_BOTTOM;
    default:
      return std::nullopt;
  }
}

int ThumbHeight(int controlHeight) { return std::clamp(controlHeight - 10, 8, 21); }

}  // namespace

TrackbarControl::TrackbarControl(QWidget* parent, HWND dialog, int id)
    : QWidget(parent), Control(this, dialog, id) {
  // Not a tab stop in the template, but a click gives it the keyboard.
  setFocusPolicy(Qt::ClickFocus);
  pageRepeat_.setSingleShot(false);
  connect(&pageRepeat_, &QTimer::timeout, this, [this] {
    pageRepeat_.setInterval(kRepeatMs);
    PageTowardsClick();
  });
}

LRESULT TrackbarControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TBM_GETPOS:
      return position_;
    case TBM_GETRANGEMIN:
      return minimum_;
    case TBM_GETRANGEMAX:
      return maximum_;
    case TBM_SETPOS:
      SetPosition(static_cast<int>(lParam));
      if (wParam) update();
      return 0;
    case TBM_SETRANGE:
      // Both ends are 16-bit signed halves of lParam.
      SetRange(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (wParam) update();
      return 0;
    case TBM_SETLINESIZE: {
      const int previous = lineSize_;
      lineSize_ = static_cast<int>(lParam);
      return previous;
    }
    case TBM_GETLINESIZE:
      return lineSize_;
    case TBM_SETPAGESIZE: {
      const int previous = pageSize_;
      pageSize_ = static_cast<int>(lParam);
      pageSizeSet_ = true;
      return previous;
    }
    case TBM_GETPAGESIZE:
      return pageSize_;
    case TBM_SETBUDDY:
      return SetBuddy(wParam != FALSE, reinterpret_cast<HWND>(lParam));
    case TBM_GETBUDDY:
      return reinterpret_cast<LRESULT>(wParam ? leftBuddy_ : rightBuddy_);
    default:
      return 0;
  }
}

void TrackbarControl::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  // The page follows the range (a fifth of it) until the caller sets it.
  if (!pageSizeSet_) pageSize_ = std::max(1, (maximum_ - minimum_) / 5);
  SetPosition(position_);
}

LRESULT TrackbarControl::SetBuddy(bool left, HWND buddy) {
  HWND& slot = left ? leftBuddy_ : rightBuddy_;
  const HWND previous = slot;
  slot = buddy;
  AlignBuddies();
  return reinterpret_cast<LRESULT>(previous);
}

// Buddies are moved, never resized: edge to edge with the trackbar, their
// middles level with the channel's.
void TrackbarControl::AlignBuddies() {
  const int channelMiddle = geometry().top() + ChannelRect().center().y();
  if (QWidget* buddy = WidgetOf(leftBuddy_))
    buddy->move(geometry().left() - buddy->width(), channelMiddle - buddy->height() / 2);
  if (QWidget* buddy = WidgetOf(rightBuddy_))
    buddy->move(geometry().right() + 1, channelMiddle - buddy->height() / 2);
}

int TrackbarControl::Clamp(int position) const {
  return std::clamp(position, minimum_, std::max(minimum_, maximum_));
}

// Every change of position, by the user or by a message, is announced to
// assistive technology, as a slider's value change.
void TrackbarControl::SetPosition(int position) {
  const int clamped = Clamp(position);
  if (clamped == position_) return;
  position_ = clamped;
  QAccessibleValueChangeEvent changed(this, position_);
  Announce(changed);
}

QRect TrackbarControl::ChannelRect() const {
  const int thumbHeight = ThumbHeight(height());
  const int bodyMiddle = kThumbTop + (thumbHeight - kThumbWidth / 2) / 2;
  const int left = kSideMargin + kThumbWidth / 2;
  const int right = width() - 1 - kSideMargin - kThumbWidth / 2;
  return QRect(QPoint(left, bodyMiddle - kChannelThickness / 2),
               QPoint(std::max(left, right), bodyMiddle - kChannelThickness / 2 + kChannelThickness - 1));
}

int TrackbarControl::XOfPosition(int position) const {
  const QRect channel = ChannelRect();
  const int span = maximum_ - minimum_;
  if (span <= 0) return channel.left();
  return channel.left() + (Clamp(position) - minimum_) * (channel.width() - 1) / span;
}

int TrackbarControl::PositionAtX(int x) const {
  const QRect channel = ChannelRect();
  const int pixels = channel.width() - 1;
  if (pixels <= 0) return minimum_;
  const int offset = std::clamp(x - channel.left(), 0, pixels);
  return Clamp(minimum_ + (offset * (maximum_ - minimum_) + pixels / 2) / pixels);
}

QRect TrackbarControl::ThumbRect() const {
  return QRect(XOfPosition(position_) - kThumbWidth / 2, kThumbTop, kThumbWidth,
               ThumbHeight(height()));
}

void TrackbarControl::MoveTo(int position, WORD code) {
  SetPosition(position);
  update();
  NotifyScroll(code);
}

void TrackbarControl::NotifyScroll(WORD code) {
  const bool carriesPosition = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
  Notify(WM_HSCROLL, MAKEWPARAM(code, carriesPosition ? position_ : 0));
}

void TrackbarControl::PageTowardsClick() {
  const int thumbX = XOfPosition(position_);
  if (std::abs(clickX_ - thumbX) <= kThumbWidth / 2) {
    pageRepeat_.stop();
    return;
  }
  if (clickX_ < thumbX)
    MoveTo(position_ - pageSize_, TB_PAGEUP);
  else
    MoveTo(position_ + pageSize_, TB_PAGEDOWN);
}

void TrackbarControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ != Drag::None) return;
  const int x = event->position().toPoint().x();
  if (ThumbRect().contains(event->position().toPoint())) {
    drag_ = Drag::Thumb;
    grabOffset_ = x - XOfPosition(position_);
    return;
  }
  drag_ = Drag::Channel;
  clickX_ = x;
  PageTowardsClick();
  pageRepeat_.start(kFirstRepeatMs);
}

void TrackbarControl::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Drag::Channel) clickX_ = event->position().toPoint().x();
  if (drag_ != Drag::Thumb) return;
  const int position = PositionAtX(event->position().toPoint().x() - grabOffset_);
  if (position != position_) MoveTo(position, TB_THUMBTRACK);
}

void TrackbarControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ == Drag::None) return;
  const Drag ended = drag_;
  drag_ = Drag::None;
  pageRepeat_.stop();
  if (ended == Drag::Thumb) NotifyScroll(TB_THUMBPOSITION);
  NotifyScroll(TB_ENDTRACK);
}

void TrackbarControl::keyPressEvent(QKeyEvent* event) {
  const std::optional<WORD> code = KeyCode(event->key());
  if (!code) {
    QWidget::keyPressEvent(event);  // Enter and Escape belong to the dialog
    return;
  }
  int target = position_;
  switch (*code) {
    case TB_LINEUP: target -= lineSize_; break;
    case TB_LINEDOWN: target += lineSize_; break;
    case TB_PAGEUP: target -= pageSize_; break;
    case TB_PAGEDOWN: target += pageSize_; break;
    case TB_TOP: target = minimum_; break;
    default: target = maximum_; break;
  }
  // At the end already: the key moves nothing and says nothing until released.
  const bool atEnd = (target < position_ && position_ == minimum_) ||
                     (target > position_ && position_ == Clamp(maximum_));
  if (!atEnd) MoveTo(target, *code);
}

void TrackbarControl::keyReleaseEvent(QKeyEvent* event) {
  if (!KeyCode(event->key())) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  if (!event->isAutoRepeat()) NotifyScroll(TB_ENDTRACK);
}

void TrackbarControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const QRect channel = ChannelRect();
  painter.fillRect(channel, colours.color(QPalette::Base));
  painter.setPen(colours.color(QPalette::Dark));
  painter.drawLine(channel.topLeft(), channel.topRight());
  painter.drawLine(channel.topLeft(), channel.bottomLeft());
  painter.setPen(colours.color(QPalette::Light));
  painter.drawLine(channel.bottomLeft(), channel.bottomRight());
  painter.drawLine(channel.topRight(), channel.bottomRight());

  const QRect thumb = ThumbRect();
  const int tickTop = thumb.bottom() + 2;
  painter.setPen(colours.color(QPalette::WindowText));
  for (int end : {minimum_, maximum_}) {
    const int x = XOfPosition(end);
    painter.drawLine(x, tickTop, x, tickTop + 3);
  }

  // A button-faced body with a point at the bottom, towards the ticks.
  const int point = kThumbWidth / 2;
  QPainterPath outline;
  outline.moveTo(thumb.left(), thumb.top());
  outline.lineTo(thumb.right(), thumb.top());
  outline.lineTo(thumb.right(), thumb.bottom() - point);
  outline.lineTo(thumb.center().x(), thumb.bottom());
  outline.lineTo(thumb.left(), thumb.bottom() - point);
  outline.closeSubpath();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(colours.color(hasFocus() ? QPalette::Midlight : QPalette::Button));
  painter.setPen(colours.color(QPalette::Shadow));
  painter.drawPath(outline);
}

}  // namespace varne::ui
