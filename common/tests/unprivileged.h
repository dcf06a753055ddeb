// Permission checks that hold when the suite runs as root, as it does on the
// build machines: root writes into read-only folders, so the step that must
// fail runs in a child process that first drops to an unprivileged user.
// The test's files are handed to that user, so that it meets them as an
// ordinary user meets their own files.
#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace rq30 {

// "nobody" on Debian and most other systems.
constexpr uid_t kUnprivilegedId = 65534;

// As root, makes the path the unprivileged user's own; otherwise it is the
// user's own already.
inline void HandOver(const std::string& path) {
  if (::geteuid() != 0) return;
  if (::chown(path.c_str(), kUnprivilegedId, kUnprivilegedId) != 0) {
    ADD_FAILURE() << "chown " << path;
  }
}

// Runs `step` in a child process, as the unprivileged user when the suite
// runs as root, and returns what it returned; false when the child could not
// drop its rights or ended some other way (an escaped exception included).
inline bool InUnprivilegedChild(const std::function<bool()>& step) {
  const pid_t child = ::fork();
  if (child < 0) {
    ADD_FAILURE() << "fork";
    return false;
  }
  if (child == 0) {
    if (::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
          ::setuid(kUnprivilegedId) != 0 || ::geteuid() == 0) {
        ::_exit(3);
      }
    }
    bool ok = false;
    try {
      ok = step();
    } catch (...) {
      ::_exit(4);
    }
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) ADD_FAILURE() << "could not drop to a user";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace rq30
