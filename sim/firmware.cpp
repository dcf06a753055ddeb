#include "firmware.h"

namespace rq30::sim {

bool ParseFirmware(const std::string& text, Firmware& firmware) {
  if (text == "1") {
    firmware = Firmware::V1;
  } else if (text == "2") {
    firmware = Firmware::V2;
  } else if (text == "3") {
    firmware = Firmware::V3;
  } else if (text == "unknown") {
    firmware = Firmware::Unknown;
  } else if (text == "silent") {
    firmware = Firmware::Silent;
  } else if (text == "foreign") {
    firmware = Firmware::Foreign;
  } else {
    return false;
  }
  return true;
}

std::string DeviceTypeText(Firmware) {
  return "VTQ45";
}

std::string FirmwareText(Firmware firmware) {
  switch (firmware) {
    case Firmware::V1:
      return "FW-K-47-01";
    case Firmware::V2:
      return "FW-K-47-02";
    case Firmware::V3:
      return "FW-K-47-03";
    case Firmware::Unknown:
      // Same family, a release the program has no layout for.
      return "FW-K-47-04";
    case Firmware::Silent:
    case Firmware::Foreign:
      break;
  }
  return "";
}

}  // namespace rq30::sim
