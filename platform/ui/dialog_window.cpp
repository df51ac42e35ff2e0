#include "platform/ui/dialog_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "platform/raster/surface_memory_pool.h"
#include "platform/ui/button_control.h"
#include "platform/ui/control_accessibility.h"
#include "platform/ui/modal_loop_hook.h"
#include "platform/ui/static_control.h"
#include "platform/ui/trackbar_control.h"

namespace varne::ui {
namespace {

constexpr DWORD kButtonTypeMask = 0x0F;

// The layer keeps released surfaces' memory for the next command, which a
// live drag depends on; once the dialog has seen no command and no
// trackbar notification for this long, that memory goes back to the
// system. It may go back inside a command, while the command's own file
// dialog waits for the user: only blocks no live surface holds are given.
constexpr int kIdleMilliseconds = 3000;

// Restarted from the full time at every command and notification; fires
// only while the dialog's thread runs an event loop.
QTimer* MakeIdleMemoryTimer(QObject* dialog) {
  auto* timer = new QTimer(dialog);
  timer->setSingleShot(true);
  timer->setInterval(kIdleMilliseconds);
  QObject::connect(timer, &QTimer::timeout, [] { raster::GiveBackIdleMemory(); });
  return timer;
}

bool SameClass(const std::string& name, const char* expected) {
  return QString::fromStdString(name).compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

Qt::WindowFlags FrameFlags(DWORD style) {
  // A caption and a close box only: no minimise, maximise or resize.
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
  if (style & WS_CAPTION) flags |= Qt::WindowTitleHint;
  if (style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

// A control of a class the layer does not know stays an empty child window.
QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, HWND dialog) {
  const QString text = QString::fromStdString(control.text);
  if (SameClass(control.className, "Static"))
    return new StaticControl(parent, dialog, control.id, control.style, text);
  if (SameClass(control.className, TRACKBAR_CLASSA))
    return new TrackbarControl(parent, dialog, control.id);
  if (SameClass(control.className, "Button")) {
    if ((control.style & kButtonTypeMask) == BS_AUTOCHECKBOX)
      return new CheckBoxControl(parent, dialog, control.id, text);
    return new PushButtonControl(parent, dialog, control.id, text);
  }
  return new QWidget(parent);
}

}  // namespace

DialogWindow::DialogWindow(const DialogTemplate& dialog, DLGPROC procedure, HWND owner)
    : QWidget(WidgetOf(owner), FrameFlags(dialog.style)),
      procedure_(procedure),
      handle_(RegisterWindow(this, this, owner, 0)),
      idleMemoryTimer_(MakeIdleMemoryTimer(this)) {
  InstallControlAccessibility();
  setFont(DialogFont(dialog.fontPoints));
  units_ = BaseUnitsOf(font());
  setWindowTitle(QString::fromStdString(dialog.caption));
  const QRect frame = DialogUnitsToPixels(dialog.x, dialog.y, dialog.cx, dialog.cy, units_);
  // The template's size is the client area's; the window never changes it.
  setFixedSize(frame.size());
  move(frame.topLeft());
  if (owner != nullptr) setWindowModality(Qt::WindowModal);
  CreateControls(dialog);
}

DialogWindow::~DialogWindow() {
  // Children go first so their handles are gone before the dialog's.
  qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
  UnregisterWindow(handle_);
}

void DialogWindow::CreateControls(const DialogTemplate& dialog) {
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = CreateControl(control, this, handle_);
    widget->setGeometry(DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units_));
    widget->setVisible((control.style & WS_VISIBLE) != 0);
    if (control.style & WS_TABSTOP) {
      widget->setFocusPolicy(Qt::StrongFocus);
      tabStops_.push_back(widget);
    } else if (widget->focusPolicy() == Qt::StrongFocus) {
      widget->setFocusPolicy(Qt::ClickFocus);
    }
  }
  // Tab walks the template's order.
  for (size_t i = 1; i < tabStops_.size(); ++i) setTabOrder(tabStops_[i - 1], tabStops_[i]);
}

QWidget* DialogWindow::FirstTabStop() const {
  return tabStops_.empty() ? nullptr : tabStops_.front();
}

INT_PTR DialogWindow::RunModal(LPARAM initParam) {
  QWidget* first = FirstTabStop();
  const LRESULT focusDefault =
      OnMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first ? HandleOf(first) : nullptr), initParam);
  if (focusDefault && first != nullptr) first->setFocus(Qt::TabFocusReason);
  if (ended_) return result_;

  show();
  if (first != nullptr && focusDefault) first->setFocus(Qt::TabFocusReason);
  const QPointer<DialogWindow> self(this);
  QTimer::singleShot(0, this, [self] {
    if (self && !self->ended_) RunModalLoopHook(self->handle_);
  });
  loop_.exec();
  hide();
  return result_;
}

BOOL DialogWindow::End(INT_PTR result) {
  result_ = result;
  ended_ = true;
  loop_.quit();
  hide();
  return TRUE;
}

LRESULT DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (procedure_ == nullptr) return 0;
  const INT_PTR handled = procedure_(handle_, message, wParam, lParam);
  if (message == WM_COMMAND || message == WM_HSCROLL) idleMemoryTimer_->start();
  // The default dialog procedure answers an unhandled close as the Cancel
  // button, posted, so it arrives only if the dialog is still running.
  if (message == WM_CLOSE && !handled) {
    const QPointer<DialogWindow> self(this);
    QTimer::singleShot(0, this, [self] {
      if (self && !self->ended_) self->SendCommand(IDCANCEL, nullptr);
    });
  }
  return handled;
}

void DialogWindow::SendCommand(int id, HWND from) {
  OnMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(from));
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The window closes only when the procedure ends the dialog.
  event->ignore();
  if (!ended_) OnMessage(WM_CLOSE, 0, 0);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A focused push button is the default button: Enter is its click.
      if (auto* button = dynamic_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
        button->click();
      else
        SendCommand(IDOK, nullptr);
      return;
    case Qt::Key_Escape:
      SendCommand(IDCANCEL, nullptr);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace varne::ui
