#include "application.h"

#include <exception>

#include "error_box.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("RQ-30"));
}

// Handlers guard themselves; this is the last resort for one that does not.
bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    rq30::ShowError(QString::fromUtf8(e.what()));
  }
  return false;
}
