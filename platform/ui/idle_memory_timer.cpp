#include "platform/ui/idle_memory_timer.h"

#include <QTimer>

#include "platform/raster/surface_memory_pool.h"

namespace varne::ui {
namespace {

constexpr const char* kTimerName = "varne-idle-memory";

}  // namespace

void RestartIdleMemoryTimer(QObject* dialog) {
  auto* timer = dialog->findChild<QTimer*>(QLatin1String(kTimerName), Qt::FindDirectChildrenOnly);
  if (timer == nullptr) {
    // A child of the dialog: it goes with the dialog, and fires only while
    // the dialog's thread runs an event loop.
    timer = new QTimer(dialog);
    timer->setObjectName(QLatin1String(kTimerName));
    timer->setSingleShot(true);
    timer->setInterval(kIdleMilliseconds);
    QObject::connect(timer, &QTimer::timeout, [] { raster::GiveBackIdleMemory(); });
  }
  timer->start();
}

}  // namespace varne::ui
