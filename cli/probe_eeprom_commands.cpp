// rq30ctl probe and eeprom: one exchange each, no table.
#include "cli_support.h"

#include <string>

namespace rq30::cli {

int ProbeCommand(Session& s, Io& io) {
  Expect(s.link.ProbeAddress(), "address " + std::to_string(s.options.da));
  io.out << "address " << s.options.da << " answers\n";
  return kOk;
}

int EepromCommand(Session& s) {
  if (!s.link.StoreToEeprom()) ThrowWriteFailure(s.link, "EEPROM");
  return kOk;
}

}  // namespace rq30::cli
