#include "platform/ui/idle_memory_timer.h"

#include <QTimer>

#include "platform/raster/surface_memory_pool.h"

namespace varne::ui {

QTimer* MakeIdleMemoryTimer(QObject* dialog) {
  // Fires only while the dialog's thread runs an event loop.
  auto* timer = new QTimer(dialog);
  timer->setSingleShot(true);
  timer->setInterval(kIdleMilliseconds);
  QObject::connect(timer, &QTimer::timeout, [] { raster::GiveBackIdleMemory(); });
  return timer;
}

}  // namespace varne::ui
