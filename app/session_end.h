// The end of the operator's session: a logout, a system shutdown or a plain
// kill (SIGTERM, SIGHUP on Linux; the end-of-session message on Windows)
// must end the program the way its close box does, with the settings stored,
// rather than drop it where it stands.
#pragma once

#include <functional>

namespace rq30 {

// Calls `end` from the event loop when the session ends. Call once, with a
// QApplication in place; `end` must close the program.
void WatchSessionEnd(std::function<void()> end);

}  // namespace rq30
