// SIGTERM and SIGHUP arrive at any moment, even inside a blocking read of
// the serial line; the handler only writes one byte to a pipe, and the
// event loop reads it and ends the program between two handlers.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "session_end.h"

namespace rq30 {
namespace {

int wakeFds[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  const ssize_t ignored = ::write(wakeFds[0], &byte, 1);
  (void)ignored;
}

}  // namespace

void WatchSessionEnd(std::function<void()> end) {
  auto* app = QCoreApplication::instance();
  if (!app || wakeFds[0] != -1) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) return;
  auto* notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, app);
  QObject::connect(notifier, &QSocketNotifier::activated, app, [notifier, end] {
    char byte;
    const ssize_t ignored = ::read(wakeFds[1], &byte, 1);
    (void)ignored;
    notifier->setEnabled(false);  // once is enough
    end();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A desktop's session manager asks through the toolkit instead.
  if (auto* gui = qobject_cast<QGuiApplication*>(app)) {
    QObject::connect(gui, &QGuiApplication::commitDataRequest, app, [end](QSessionManager&) { end(); });
  }
}

}  // namespace rq30
