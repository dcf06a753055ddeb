// rq30ctl as a function, so that tests run it in-process against the
// simulator and main() only wires it to the terminal and the signals.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace rq30::cli {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kDifferent = 3 };

struct Io {
  std::ostream& out;
  std::ostream& err;
  // Waits the given milliseconds (the link's fixed pauses, the live
  // interval); tests pass a no-op.
  std::function<void(int ms)> pause;
  // True once the operator pressed Ctrl+C.
  std::function<bool()> interrupted = [] { return false; };
  // Standard error is a terminal: progress lines are worth showing.
  bool terminal = false;
};

int Run(const std::vector<std::string>& args, Io& io);

}  // namespace rq30::cli
