// One live sample as a JSON object, the same for `rq30ctl --json live` and
// the MQTT bridge, so that every consumer of live values parses one shape:
//   {"measured": 21.5, "setpoint": 55.0, "output": 52.3,
//    "relays": [true, false, false, true], "terminal": 23.25,
//    "fault": false, "time": "2026-12-10T15:04:05+01:00"}
// Values the controller sends as NaN or infinity become null. The keys keep
// this order in the text.
#pragma once

#include <ctime>
#include <string>

#include <nlohmann/json.hpp>

#include "table_image.h"

namespace rq30::cli {

// `when` is the moment the sample was taken; it is written in local time.
nlohmann::ordered_json LiveJson(const LiveTable& live, std::time_t when);

// "2026-12-10T15:04:05+01:00": ISO 8601 in local time with the offset from
// UTC that applied at that moment ("+00:00" for UTC).
std::string IsoLocalTime(std::time_t when);

}  // namespace rq30::cli
