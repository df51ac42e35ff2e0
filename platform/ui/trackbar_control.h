// The "msctls_trackbar32" class, horizontal with its thumb pointing down and
// ticks at the first and last positions. It reports every change to its
// dialog as WM_HSCROLL with the platform's notification codes, in the
// platform's order, lParam being the trackbar's own handle.
// It is drawn by hand on a QWidget rather than being a QSlider because the
// dialog must see exactly the platform trackbar's messages, notifications
// and geometry (paging by key and click, thumb, channel, buddies), which
// QSlider's own signals, repeat timing and style do not give.
#pragma once

#include <QTimer>
#include <QWidget>

#include "platform/ui/control.h"

namespace varne::ui {

class TrackbarControl : public QWidget, public Control {
 public:
  TrackbarControl(QWidget* parent, HWND dialog, int id);

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  int position() const { return position_; }
  // Geometry, in widget coordinates, for painting and for pointing at it.
  int XOfPosition(int position) const;
  QRect ThumbRect() const;
  QRect ChannelRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  enum class Drag { None, Thumb, Channel };

  LRESULT SetBuddy(bool left, HWND buddy);
  void AlignBuddies();
  void SetRange(int minimum, int maximum);
  int Clamp(int position) const;
  void SetPosition(int position);
  int PositionAtX(int x) const;
  void MoveTo(int position, WORD code);
  void NotifyScroll(WORD code);
  void PageTowardsClick();

  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  int lineSize_ = 1;
  int pageSize_ = 20;
  bool pageSizeSet_ = false;
  HWND leftBuddy_ = nullptr;
  HWND rightBuddy_ = nullptr;
  Drag drag_ = Drag::None;
  int grabOffset_ = 0;
  int clickX_ = 0;
  QTimer pageRepeat_;
};

}  // namespace varne::ui
