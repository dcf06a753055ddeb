// The bridge of a build without libmosquitto.
#include "bridge.h"

namespace rq30::cli {

int RunBridge(const BridgeLine&, const std::vector<std::string>&, Io& io) {
  io.err << "rq30ctl: bridge: this rq30ctl was built without libmosquitto\n";
  return kUsage;
}

}  // namespace rq30::cli
