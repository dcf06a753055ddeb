// Writing the controller's program data as the program page does it: the
// program selection table, then the blocks of the selected program (the
// setpoint list for SP; the list, setpoints and times for RAMP; setpoints
// and times for JUMP), 100 ms apart. Every transfer runs even after an
// earlier one failed, so the controller gets as much as it takes.
#pragma once

#include <functional>

#include "link.h"

namespace rq30::paramset {

struct WriteHooks {
  std::function<void(int milliseconds)> pause;  // required
  std::function<void()> blockWritten;           // after each program block or table
};

// 1 when every transfer succeeded.
int WriteProgramData(Link& link, const TableImage& image, const WriteHooks& hooks);

}  // namespace rq30::paramset
