// The program's last-resort error handling: an error that a handler does not
// deal with itself (a port that cannot be opened, a file that cannot be
// written, a damaged setting) is shown in an error box under the program's
// title, and the program goes on.
#pragma once

#include <QString>
#include <exception>

namespace rq30 {

void ShowError(const QString& message);

// Runs a handler; an exception escaping it is shown and goes no further, so
// it never unwinds through the toolkit's event delivery.
template <typename Handler>
void Guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  }
}

}  // namespace rq30
