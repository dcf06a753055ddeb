// rq30ctl ident: what the controller says it is.
#include "cli_support.h"

#include <string>
#include <utility>
#include <vector>

#include "cp1250.h"
#include "json_output.h"
#include "load_sequence.h"

namespace rq30::cli {

// A text of the controller's memory: Windows-1250 up to its first zero byte.
namespace {

std::string ControllerText(const char* bytes, std::size_t size) {
  std::size_t n = 0;
  while (n < size && bytes[n] != 0) ++n;
  return Cp1250ToUtf8(std::string(bytes, n));
}

}  // namespace

// Both texts are asked for whatever the first answer was, as in the
// program's identification window; a device that answers neither may be of
// another kind, which says so in its own format.
int IdentCommand(Session& s, Io& io) {
  const bool json = s.options.json;
  std::vector<std::pair<std::string, std::string>> shown;  // key, text
  const bool device = s.link.ReadDeviceType() != 0;
  if (device) shown.emplace_back("device", ControllerText(s.image.deviceType, sizeof s.image.deviceType));
  const bool firmware = s.link.ReadFirmwareVersion() != 0;
  int variant = 0;
  if (firmware) {
    shown.emplace_back("firmware",
                       ControllerText(s.image.firmwareVersion, sizeof s.image.firmwareVersion));
    variant = paramset::FirmwareVariantOf(s.image.firmwareVersion);
  }
  std::vector<std::string> foreign;
  if (!device && !firmware && s.link.ReadForeignIdent()) {
    constexpr std::size_t kTextLength = 32;  // three texts of 32 bytes
    for (int i = 0; i < 3; ++i) {
      // The device pads its texts with blanks to their 32 bytes.
      std::string text = ControllerText(
          reinterpret_cast<const char*>(s.image.foreignTexts) + i * kTextLength, kTextLength);
      text.erase(text.find_last_not_of(' ') + 1);
      foreign.push_back(text);
    }
  }
  if (json) {
#if RQ30_WITH_JSON
    Json j = Json::object();
    for (const auto& [key, text] : shown) j[key] = text;
    if (firmware) j["variant"] = variant ? Json(variant) : Json(nullptr);
    if (!foreign.empty()) {
      j["device"] = "jiné zařízení";
      j["foreign"] = foreign;
    }
    if (!shown.empty() || !foreign.empty()) PrintJson(io.out, j);
#endif
  } else {
    for (const auto& [key, text] : shown) io.out << key << ": " << text << '\n';
    if (firmware) {
      io.out << "variant: " << (variant ? std::to_string(variant) : std::string("unknown")) << '\n';
    }
    if (!foreign.empty()) {
      io.out << "device: jiné zařízení\n";
      for (int i = 0; i < 3; ++i) io.out << "text " << i + 1 << ": " << foreign[i] << '\n';
    }
  }
  if (!foreign.empty()) throw OtherDevice("a device of another kind answered: it needs other software");
  if (!device) Expect(0, "device type");
  if (!firmware) Expect(0, "firmware version");
  return kOk;
}

}  // namespace rq30::cli
