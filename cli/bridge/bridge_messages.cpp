#include "bridge_messages.h"

#include <cstring>

#include "cp1250.h"
#include "load_sequence.h"

namespace rq30::cli {

namespace {

std::string Text(const char (&field)[kIdentTextSize]) {
  return Cp1250ToUtf8(std::string(field, strnlen(field, kIdentTextSize)));
}

// Home Assistant's object and node ids take letters, digits, '_' and '-'.
std::string NodeId(const std::string& prefix) {
  std::string id;
  for (char c : prefix) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '-';
    id += plain ? c : '_';
  }
  return id;
}

}  // namespace

nlohmann::ordered_json IdentJson(const TableImage& image) {
  const int variant = paramset::FirmwareVariantOf(image.firmwareVersion);
  return {{"device", Text(image.deviceType)},
          {"firmware", Text(image.firmwareVersion)},
          {"variant", variant ? nlohmann::ordered_json(variant) : nlohmann::ordered_json()}};
}

std::vector<MqttMessage> HaDiscoveryMessages(const std::string& haPrefix,
                                             const std::string& prefix,
                                             const std::string& firmware) {
  const std::string node = NodeId(prefix);
  nlohmann::ordered_json device = {{"identifiers", {node}},
                                   {"name", "VTQ45 " + prefix},
                                   {"model", "VTQ45"}};
  if (!firmware.empty()) device["sw_version"] = firmware;

  struct Entity {
    const char* component;
    std::string object;
    std::string name;
    std::string value;  // template over the live sample
    const char* unit;
    const char* deviceClass;
  };
  std::vector<Entity> entities = {
      {"sensor", "measured", "Measured value", "{{ value_json.measured }}", nullptr, nullptr},
      {"sensor", "setpoint", "Setpoint", "{{ value_json.setpoint }}", nullptr, nullptr},
      {"sensor", "output", "Output", "{{ value_json.output }}", "%", nullptr},
      {"binary_sensor", "fault", "Fault", "{{ 'ON' if value_json.fault else 'OFF' }}", nullptr,
       "problem"},
  };
  for (int r = 1; r <= 4; ++r) {
    entities.push_back({"binary_sensor", "relay" + std::to_string(r), "Relay " + std::to_string(r),
                        "{{ 'ON' if value_json.relays[" + std::to_string(r - 1) + "] else 'OFF' }}",
                        nullptr, nullptr});
  }

  std::vector<MqttMessage> messages;
  for (const Entity& e : entities) {
    nlohmann::ordered_json config = {
        {"name", e.name},
        {"unique_id", node + "_" + e.object},
        {"state_topic", prefix + "/live"},
        {"value_template", e.value},
        {"availability_topic", prefix + "/status"},
        // "no-reply" and "offline" both mean the values are not current.
        {"availability_template", "{{ 'online' if value == 'online' else 'offline' }}"},
        {"device", device},
    };
    if (e.unit) config["unit_of_measurement"] = e.unit;
    if (e.deviceClass) config["device_class"] = e.deviceClass;
    if (std::strcmp(e.component, "sensor") == 0) config["state_class"] = "measurement";
    messages.push_back({haPrefix + "/" + e.component + "/" + node + "/" + e.object + "/config",
                        config.dump(), true});
  }
  return messages;
}

}  // namespace rq30::cli
