// What kind of device the simulator pretends to be.
#pragma once

#include <string>

namespace rq30::sim {

enum class Firmware {
  V1,       // "FW-K-47-01": single setpoint, no programs, no clock
  V2,       // "FW-K-47-02": programs without start time, no clock
  V3,       // "FW-K-47-03": everything
  Unknown,  // a VTQ45 with a firmware text the program does not know; tables as V3
  Silent,   // answers nothing at all
  Foreign,  // a device of another kind: answers only its own identification
};

// Accepts "1", "2", "3", "unknown", "silent" and "foreign".
bool ParseFirmware(const std::string& text, Firmware& firmware);

// The texts a VTQ45 returns for device identification and firmware version.
std::string DeviceTypeText(Firmware firmware);
std::string FirmwareText(Firmware firmware);

}  // namespace rq30::sim
