// A simulated VTQ45 controller on the bus: takes whole request telegrams and
// gives back the reply bytes a controller would send.
//
// It answers read requests from its table memory (see controller_memory.h),
// acknowledges writes and EEPROM stores, returns its device type and firmware
// texts, acknowledges probes, and keeps a simulated heating process running
// (process.h). Telegrams with a bad format or checksum, and telegrams for an
// address it does not serve, get no answer. Writes sent to the broadcast
// address 127 are carried out without an answer.
//
// Not thread-safe; the pty server guards it with its own mutex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "faults.h"
#include "firmware.h"
#include "process.h"
#include "table_image.h"

namespace rq30::sim {

// Short acknowledgement code for a write the controller cannot take (a
// read-only or missing table, a block past the table's end, an address
// outside 0..126): the FDL "user error".
constexpr uint8_t kAckRefused = 0x01;

// The three texts of a foreign device's identification, 32 bytes each on
// the wire: the first two padded with blanks, the last with zeros.
extern const char* const kForeignTexts[3];

// One well-formed telegram that reached this controller (its address or the
// broadcast address), whether answered or not.
struct Request {
  uint8_t address;   // destination address of the telegram
  uint8_t function;  // 0x6C, 0x63, 0x69, ...
  int command;       // first data byte; -1 for a short telegram
  int table;         // -1 when the telegram carries none
  int length;
  int offset;
};

class ControllerModel {
 public:
  // Serves the given addresses (the first is the one in its address table);
  // an empty list means address 0.
  explicit ControllerModel(Firmware firmware = Firmware::V3, std::vector<uint8_t> addresses = {0});

  // One whole request telegram in, the reply out (empty: stays silent).
  std::vector<uint8_t> Handle(const uint8_t* request, std::size_t n);

  // Advances the process, the record memory and the clock.
  void Step(double seconds) { process_.Step(seconds); }
  // 0 clears the fault byte of the live values; anything else sets it.
  void SetFault(uint8_t code) { process_.SetFault(code); }

  Faults& Injected() { return faults_; }
  const Faults& Injected() const { return faults_; }

  // The controller's state: parameters, live values, record memory, clock.
  TableImage& Image() { return image_; }
  const TableImage& Image() const { return image_; }
  const Process& Plant() const { return process_; }

  Firmware GetFirmware() const { return firmware_; }
  void SetFirmware(Firmware firmware);
  // Replaces the identification texts (as the firmware gives them by default).
  void SetTexts(const std::string& deviceType, const std::string& firmwareVersion);

  const std::vector<uint8_t>& Addresses() const { return addresses_; }
  bool Serves(uint8_t address) const;

  const std::vector<Request>& Requests() const { return requests_; }
  void ClearRequests() { requests_.clear(); }
  int EepromStores() const { return eepromStores_; }
  // Write telegrams (table and program blocks, EEPROM stores) that reached
  // this controller, answered or not, refused or carried out.
  int WriteRequests() const { return writeRequests_; }

 private:
  std::vector<uint8_t> Answer(const uint8_t* t, std::size_t n);
  std::vector<uint8_t> AnswerShort(const uint8_t* t);
  std::vector<uint8_t> AnswerVariable(const uint8_t* t, std::size_t n);
  std::vector<uint8_t> Read(uint8_t to, uint8_t from, int table, int length, int offset);
  std::vector<uint8_t> Write(uint8_t to, uint8_t from, int table, int length, int offset,
                             const uint8_t* data);
  std::vector<uint8_t> Text(uint8_t to, uint8_t from, const std::string& text) const;
  std::vector<uint8_t> ForeignIdent(uint8_t to, uint8_t from) const;
  void Remember(const Request& request);

  std::vector<uint8_t> addresses_;  // before the image, which starts from it
  TableImage image_;
  Process process_;
  Faults faults_;
  Firmware firmware_ = Firmware::V3;
  std::string deviceType_;
  std::string firmwareText_;
  std::vector<Request> requests_;
  int eepromStores_ = 0;
  int writeRequests_ = 0;
  // The injected refusal code for this write (0: carried out).
  uint8_t RefusalCode();
};

}  // namespace rq30::sim
