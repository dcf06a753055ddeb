// What the bridge publishes besides the live samples: the identification
// and the Home Assistant discovery configuration. Plain data, so that the
// texts are tested without a broker.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "table_image.h"

namespace rq30::cli {

struct MqttMessage {
  std::string topic;
  std::string payload;
  bool retain = false;
};

// {"device": ..., "firmware": ..., "variant": 1..3 or null}. The controller's
// texts are Windows-1250 bytes; they are written as UTF-8.
nlohmann::ordered_json IdentJson(const TableImage& image);

// One retained config message per entity (measured value, setpoint, output,
// fault, relays 1..4), all reading PREFIX/live and available while
// PREFIX/status is "online". `firmware` goes into the device record when
// known (may be empty).
std::vector<MqttMessage> HaDiscoveryMessages(const std::string& haPrefix,
                                             const std::string& prefix,
                                             const std::string& firmware);

}  // namespace rq30::cli
