// The "Static" class: text, or with SS_BITMAP a picture area that shows its
// bitmap centred and unscaled and never resizes itself.
#pragma once

#include <QWidget>

#include "platform/ui/control.h"

namespace varne::ui {

class StaticControl : public QWidget, public Control {
 public:
  StaticControl(QWidget* parent, HWND dialog, int id, DWORD style, const QString& text);
  ~StaticControl() override;

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  QString text() const { return text_; }
  HBITMAP image() const { return image_; }
  bool showsBitmap() const;
  // The area inside the one-pixel sunken edge, in widget coordinates.
  QRect clientRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintEdge(QPainter& painter) const;
  void PaintText(QPainter& painter, QRect client) const;
  void PaintBitmap(QPainter& painter, QRect client, QRect dirty) const;

  DWORD style_;
  QString text_;
  HBITMAP image_ = nullptr;
  // image_ is the area's own premultiplied copy, which it paints blended
  // and releases when it goes, unless a later STM_SETIMAGE hands it back.
  bool ownsImage_ = false;
};

}  // namespace varne::ui
