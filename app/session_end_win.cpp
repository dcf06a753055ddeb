// Windows ends a session with WM_QUERYENDSESSION/WM_ENDSESSION, which the
// toolkit turns into commitDataRequest before it lets the session go.
#include <QGuiApplication>
#include <QSessionManager>

#include "session_end.h"

namespace rq30 {

void WatchSessionEnd(std::function<void()> end) {
  auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!gui) return;
  QObject::connect(gui, &QGuiApplication::commitDataRequest, gui, [end](QSessionManager&) { end(); });
}

}  // namespace rq30
