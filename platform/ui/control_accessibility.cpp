#include "platform/ui/control_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <optional>

#include "platform/ui/picture_pixels.h"
#include "platform/ui/static_control.h"
#include "platform/ui/trackbar_control.h"
#include "platform/win32.h"

namespace varne::ui {
namespace {

// The template gives the picture area no caption, so the layer names it.
QString PictureName() { return QStringLiteral("Picture"); }

// Said of the bitmap the area would draw: a handle that no longer draws
// anything reads as empty, as it looks.
QString PictureDescription(HBITMAP bitmap) {
  const std::optional<QSize> size = DrawableSize(bitmap);
  if (!size) return QStringLiteral("Empty");
  return QStringLiteral("%1 \u00D7 %2 pixels").arg(size->width()).arg(size->height());
}

class TrackbarInterface : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit TrackbarInterface(TrackbarControl* trackbar)
      : QAccessibleWidget(trackbar, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text which) const override {
    if (which == QAccessible::Value) return QString::number(Trackbar().position());
    return QAccessibleWidget::text(which);
  }

  QVariant currentValue() const override { return Trackbar().position(); }
  // Read-only here: the dialog learns of moves only through WM_HSCROLL, and
  // a move it never hears of would leave the number and the picture stale.
  // The keys and the mouse move the thumb.
  void setCurrentValue(const QVariant&) override {}
  QVariant minimumValue() const override { return Ask(TBM_GETRANGEMIN); }
  // A range given upside down pins the thumb at its minimum.
  QVariant maximumValue() const override { return std::max(Ask(TBM_GETRANGEMIN), Ask(TBM_GETRANGEMAX)); }
  QVariant minimumStepSize() const override { return Ask(TBM_GETLINESIZE); }

 private:
  TrackbarControl& Trackbar() const { return *static_cast<TrackbarControl*>(widget()); }
  int Ask(UINT message) const { return static_cast<int>(Trackbar().OnMessage(message, 0, 0)); }
};

class PictureInterface : public QAccessibleWidget {
 public:
  explicit PictureInterface(StaticControl* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {}

  QString text(QAccessible::Text which) const override {
    switch (which) {
      case QAccessible::Name:
        return PictureName();
      case QAccessible::Description:
        return PictureDescription(static_cast<StaticControl*>(widget())->image());
      default:
        return QAccessibleWidget::text(which);
    }
  }
};

// Read as what it shows: the number display's name is its number.
class StaticTextInterface : public QAccessibleWidget {
 public:
  explicit StaticTextInterface(StaticControl* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text which) const override {
    if (which == QAccessible::Name || which == QAccessible::Value)
      return static_cast<StaticControl*>(widget())->text();
    return QAccessibleWidget::text(which);
  }
};

// Asked for every class name up an object's hierarchy; the layer's controls
// declare no meta-object of their own, so they are told apart by type.
QAccessibleInterface* InterfaceFor(const QString&, QObject* object) {
  if (auto* trackbar = dynamic_cast<TrackbarControl*>(object)) return new TrackbarInterface(trackbar);
  if (auto* control = dynamic_cast<StaticControl*>(object)) {
    if (control->showsBitmap()) return new PictureInterface(control);
    return new StaticTextInterface(control);
  }
  return nullptr;
}

}  // namespace

void InstallControlAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(InterfaceFor);
    return true;
  }();
  (void)installed;
}

}  // namespace varne::ui
