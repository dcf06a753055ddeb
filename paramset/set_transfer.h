// Writing a whole parameter set into a controller and reading it back, for
// the command-line client's restore: every table and program block of a
// plan (param_set.h) goes out from the link's table image, then each is read
// again and compared field by field with what was sent. Reading a whole set
// is the load sequence's job (load_sequence.h), which the loading window
// runs too.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link.h"
#include "param_set.h"

namespace rq30::paramset {

struct TransferHooks {
  std::function<void(int milliseconds)> pause;  // required
  // After each table or block, with a name ("table 3", "program 2 times")
  // and the exchange's result.
  std::function<void(const std::string& what, int ok)> done;
};

// Writes the plan's tables in order, then the setpoint list and, program by
// program, its setpoints and times, 100 ms between blocks. Every transfer
// runs even after an earlier one failed; after the address table the link
// follows the controller to its new address. Returns the names of the
// failed.
std::vector<std::string> WriteParameterSet(Link& link, const SetPlan& plan,
                                           const TransferHooks& hooks);

struct ReadBack {
  std::vector<std::string> unread;     // tables and blocks that did not come
  std::vector<const Key*> differing;   // keys the controller holds otherwise
};

// Reads every table and block of the plan into the link's image and
// compares the plan's keys with `written`, as the wire carries them.
ReadBack ReadBackParameterSet(Link& link, const SetPlan& plan, const TableImage& written,
                              const TransferHooks& hooks);

}  // namespace rq30::paramset
