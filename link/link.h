// The telegram layer: the program's only way of talking to the controller.
//
// Builds requests in a 256-byte transmit buffer, sends them through a Port,
// reads and checks replies in a 256-byte receive buffer and moves data
// between replies and the table image. Every operation blocks and returns 1
// for success, 0 for failure; ordinary communication failures show nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "port.h"
#include "table_image.h"

namespace rq30 {

constexpr int kBroadcastAddress = 127;
constexpr int kBufferSize = 256;

// Fixed pauses of the exchanges, in milliseconds.
constexpr int kPauseAfterShortRead = 100;
constexpr int kPauseBeforeRecordBlock = 270;
constexpr int kPauseAfterRecordBlock = 300;

class Link {
 public:
  using PauseFn = std::function<void(int milliseconds)>;
  // Shows a modal error box: text and caption (UTF-8).
  using ReportFn = std::function<void(const std::string& text, const std::string& caption)>;

  explicit Link(TableImage& image, Port* port = nullptr);

  // The line the operations use; null makes every exchange fail.
  void SetPort(Port* port) { port_ = port; }
  Port* GetPort() const { return port_; }

  // Defaults to a real sleep; tests record the pauses instead.
  void SetPause(PauseFn pause);
  // Defaults to nothing shown; the windows connect their message boxes.
  void SetReporter(ReportFn report);

  int ReadTable(int table);
  int WriteTable(int table);
  int ReadProgramBlock(int variant, int program, int table);
  int WriteProgramBlock(int variant, int program, int table);
  int ReadRecordBlock(int block);
  int ReadDeviceType();
  int ReadFirmwareVersion();
  int ReadForeignIdent();
  int StoreToEeprom();
  int ProbeAddress();

  void SetDeviceAddress(int address) { da_ = static_cast<uint8_t>(address); }
  void SetComputerAddress(int address) { sa_ = static_cast<uint8_t>(address); }
  int GetDeviceAddress() const { return da_; }
  int GetComputerAddress() const { return sa_; }

  // Function code of the last short acknowledgement that carried a non-zero
  // code (a refused write); 0 until one arrives.
  uint8_t AckErrorCode() const { return ackError_; }
  // The refusal code of the last write or EEPROM store alone: 0 when that
  // exchange saw no refusal (it succeeded, or nothing answered), so a
  // failure is never blamed on an earlier exchange's code.
  uint8_t ExchangeAckCode() const { return exchangeAckCode_; }

  const uint8_t* ReceiveBuffer() const { return rx_; }
  const uint8_t* TransmitBuffer() const { return tx_; }
  TableImage& Image() { return image_; }

 private:
  void Header(uint8_t fc);
  void BlockRequest(uint8_t fc, uint8_t command, int table, int length, int offset);
  void Finish();  // checksum and end byte after LE
  bool SendRequest();
  bool Read(int n, int& got, int at = 0);  // into the receive buffer from `at`
  bool ReceiveDataReply(int n);
  int ReadOpenLength();
  bool ReceiveReply();
  bool ReceiveAcknowledgement();
  bool CheckDataReply(int got) const;
  bool CheckShortAck();
  void DiscardLateAnswers(int replySize, int answersDue, bool lastAnswered = false);
  void PurgeAfterFailure();
  void Pause(int ms);
  void Report(const char* text, const char* caption);

  TableImage& image_;
  Port* port_;
  PauseFn pause_;
  ReportFn report_;

  uint8_t rx_[kBufferSize] = {};
  uint8_t tx_[kBufferSize] = {};
  int8_t le_ = 0;
  uint8_t da_ = 0;
  uint8_t sa_ = 0;
  uint8_t ackError_ = 0;
  uint8_t exchangeAckCode_ = 0;
};

}  // namespace rq30
