// rq30ctl as a function, so that tests run it in-process against the
// simulator and main() only wires it to the terminal and the signals.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace rq30::cli {

// What a script sees; the usage text and the manual page list the same.
enum ExitCode {
  kOk = 0,
  kFailed = 1,       // the controller did not answer
  kUsage = 2,        // bad usage or a refused input; nothing was sent
  kDifferent = 3,    // params diff found differences
  kRefused = 4,      // the controller refused (a non-zero acknowledgement)
  kFileError = 5,    // a file could not be read or written
  kPortError = 6,    // the serial line could not be opened
  kOtherDevice = 7,  // a device of another kind answered
};

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
  // The wall clock: live samples sit on its second grid. Tests pass a fake
  // one that the pauses move on.
  std::function<std::chrono::system_clock::time_point()> clock = [] {
    return std::chrono::system_clock::now();
  };
};

int Run(const std::vector<std::string>& args, Io& io);

}  // namespace rq30::cli
