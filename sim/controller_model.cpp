#include "controller_model.h"

#include <algorithm>

#include "calendar.h"
#include "controller_memory.h"
#include "defaults.h"
#include "telegram.h"

namespace rq30::sim {

namespace {

constexpr uint8_t kBroadcast = 127;
constexpr int kCommandIdent = 0;
constexpr int kCommandRead = 1;
constexpr int kCommandWrite = 2;
constexpr int kCommandFirmware = 4;
constexpr int kCommandStore = 6;
constexpr int kMaxReplyData = 252;  // LE = data + 3 must fit its byte
constexpr std::size_t kRequestLog = 10000;

// The foreign device answers its identification with a function code of its
// own, so a VTQ45 data reply check rejects it; its LE of 100 puts three
// 32-byte texts behind one leading data byte.
constexpr uint8_t kFcForeign = 0x0A;
constexpr int kForeignText = 32;

TableImage InitialImage(uint8_t address) {
  TableImage image{};
  SetDefaultParameters(image, address);
  // 1 January 2024 was a Monday; whoever runs the model sets the clock it wants.
  image.clock = {0, 0, 8, 1, 1, 1, 24};
  return image;
}

}  // namespace

const char* const kForeignTexts[3] = {"VTQ12 dvoukanalovy zapisovac", "Vyrobni cislo 12-04117",
                                      "FW-R-12-05"};

ControllerModel::ControllerModel(Firmware firmware, std::vector<uint8_t> addresses)
    : addresses_(addresses.empty() ? std::vector<uint8_t>{0} : std::move(addresses)),
      image_(InitialImage(addresses_.front())),
      process_(image_) {
  // The memory starts full of the cold plant's value rather than zeros.
  std::fill(std::begin(image_.recordValues), std::end(image_.recordValues), image_.live.measured);
  SetFirmware(firmware);
}

void ControllerModel::SetFirmware(Firmware firmware) {
  firmware_ = firmware;
  deviceType_ = DeviceTypeText(firmware);
  firmwareText_ = FirmwareText(firmware);
}

void ControllerModel::SetTexts(const std::string& deviceType, const std::string& firmwareVersion) {
  deviceType_ = deviceType;
  firmwareText_ = firmwareVersion;
}

bool ControllerModel::Serves(uint8_t address) const {
  return std::find(addresses_.begin(), addresses_.end(), address) != addresses_.end();
}

std::vector<uint8_t> ControllerModel::Handle(const uint8_t* request, std::size_t n) {
  std::vector<uint8_t> reply = Answer(request, n);
  if (reply.empty()) return reply;
  if (faults_.dropReplies > 0) {
    --faults_.dropReplies;
    return {};
  }
  if (faults_.corruptReplies > 0) {
    --faults_.corruptReplies;
    reply[reply.size() - 2] = static_cast<uint8_t>(reply[reply.size() - 2] + 1);
  }
  return reply;
}

std::vector<uint8_t> ControllerModel::Answer(const uint8_t* t, std::size_t n) {
  if (n == 6 && t[0] == kStartShort) return AnswerShort(t);
  if (n >= 10 && t[0] == kStartVariable) return AnswerVariable(t, n);
  return {};
}

std::vector<uint8_t> ControllerModel::AnswerShort(const uint8_t* t) {
  if (t[5] != kEnd || Checksum(t + 1, 3) != t[4]) return {};
  const uint8_t to = t[1], from = t[2], fc = t[3];
  if (!Serves(to)) return {};
  Remember({to, fc, -1, -1, 0, 0});
  if (fc != kFcProbe || firmware_ == Firmware::Silent || firmware_ == Firmware::Foreign) return {};
  return ShortAck(from, to, kAckOk);
}

std::vector<uint8_t> ControllerModel::AnswerVariable(const uint8_t* t, std::size_t n) {
  const uint8_t le = t[1];
  if (t[2] != le || t[3] != kStartVariable || le < 4 || n != std::size_t{le} + 6u) return {};
  if (t[n - 1] != kEnd || Checksum(t + 4, le) != t[4 + le]) return {};
  const uint8_t to = t[4], from = t[5], fc = t[6];
  const int command = t[7];
  const bool broadcast = to == kBroadcast;
  if (!broadcast && !Serves(to)) return {};

  const bool block = le >= 8;
  const int table = block ? t[8] : -1;
  const int length = block ? t[9] : 0;
  const int offset = block ? (t[10] << 8 | t[11]) : 0;
  Remember({to, fc, command, table, length, offset});
  if (fc == kFcWrite) ++writeRequests_;

  if (firmware_ == Firmware::Silent) return {};
  if (firmware_ == Firmware::Foreign) {
    if (fc == kFcRead && command == kCommandIdent && le == 4 && !broadcast) {
      return ForeignIdent(from, to);
    }
    return {};
  }

  std::vector<uint8_t> reply;
  if (fc == kFcRead && le == 4 && command == kCommandIdent) {
    reply = Text(from, to, deviceType_);
  } else if (fc == kFcRead && le == 4 && command == kCommandFirmware) {
    reply = Text(from, to, firmwareText_);
  } else if (fc == kFcRead && le == 8 && command == kCommandRead) {
    reply = Read(from, to, table, length, offset);
  } else if (fc == kFcWrite && block && le == 8 + length && command == kCommandWrite) {
    reply = Write(from, to, table, length, offset, t + 12);
  } else if (fc == kFcWrite && le == 4 && command == kCommandStore) {
    if (const uint8_t code = RefusalCode()) {
      reply = ShortAck(from, to, code);
    } else {
      ++eepromStores_;
      reply = ShortAck(from, to, kAckOk);
    }
  }
  // A broadcast is carried out but never answered.
  if (broadcast) return {};
  return reply;
}

std::vector<uint8_t> ControllerModel::Read(uint8_t to, uint8_t from, int table, int length,
                                           int offset) {
  std::vector<uint8_t> area;
  if (!ReadArea(table, firmware_, image_, area)) return {};
  if (length > kMaxReplyData || static_cast<std::size_t>(offset + length) > area.size()) return {};
  const std::vector<uint8_t> data(area.begin() + offset, area.begin() + offset + length);
  return VariableFrame(to, from, kFcDataReply, data);
}

std::vector<uint8_t> ControllerModel::Write(uint8_t to, uint8_t from, int table, int length,
                                            int offset, const uint8_t* data) {
  if (const uint8_t code = RefusalCode()) return ShortAck(to, from, code);
  const uint8_t oldAddress = image_.address.address;
  // The address byte is the first of table 10; the bus ends at 126.
  if (table == 10 && offset == 0 && length > 0 && data[0] >= kBroadcast) {
    return ShortAck(to, from, kAckRefused);
  }
  if (!WriteArea(table, firmware_, offset, data, length, image_)) {
    return ShortAck(to, from, kAckRefused);
  }
  const uint8_t newAddress = image_.address.address;
  if (newAddress != oldAddress) {
    // The controller answers at its new address from the next telegram on;
    // the address it was reached by (or its own, by broadcast) gives way.
    const uint8_t replaced = Serves(from) ? from : oldAddress;
    for (auto& a : addresses_) {
      if (a == replaced) a = newAddress;
    }
  }
  return ShortAck(to, from, kAckOk);
}

std::vector<uint8_t> ControllerModel::Text(uint8_t to, uint8_t from,
                                           const std::string& text) const {
  const std::size_t n = std::min<std::size_t>(text.size(), kMaxReplyData);
  return VariableFrame(to, from, kFcDataReply,
                       std::vector<uint8_t>(text.begin(), text.begin() + n));
}

// The program copies the bytes behind the first data byte and reads them as
// three 32-byte texts, and shows the first two in a message that ends at its
// first zero byte: so those two are padded with blanks, not zeros.
std::vector<uint8_t> ControllerModel::ForeignIdent(uint8_t to, uint8_t from) const {
  std::vector<uint8_t> data(1 + 3 * kForeignText, 0);
  for (int i = 0; i < 3; ++i) {
    const std::string text = kForeignTexts[i];
    uint8_t* field = data.data() + 1 + i * kForeignText;
    std::fill(field, field + kForeignText, i < 2 ? ' ' : 0);
    std::copy(text.begin(), text.begin() + std::min<std::size_t>(text.size(), kForeignText), field);
  }
  return VariableFrame(to, from, kFcForeign, data);
}

uint8_t ControllerModel::RefusalCode() {
  const uint8_t code = faults_.nakCode;
  // Counted refusals: after the last one the controller takes writes again.
  if (code != 0 && faults_.nakTimes > 0 && --faults_.nakTimes == 0) faults_.nakCode = 0;
  return code;
}

void ControllerModel::Remember(const Request& request) {
  if (requests_.size() >= kRequestLog) {
    requests_.erase(requests_.begin(), requests_.begin() + kRequestLog / 2);
  }
  requests_.push_back(request);
}

}  // namespace rq30::sim
