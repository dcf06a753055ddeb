// `rq30ctl bridge`: one controller published to an MQTT broker. Where the
// build has no libmosquitto the command exists but says so (exit 2).
#pragma once

#include <string>
#include <vector>

#include "bridge_options.h"
#include "cli.h"

namespace rq30::cli {

// `command` starts with "bridge". Runs until io.interrupted(); returns the
// exit code: 0 a clean stop, 1 a fault at the broker that ends it, 2 bad
// options (nothing opened).
int RunBridge(const BridgeLine& line, const std::vector<std::string>& command, Io& io);

}  // namespace rq30::cli
