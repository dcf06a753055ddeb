#include "link.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "table_layout.h"

// Telegrams are a subset of the PROFIBUS FDL formats: 0x68 starts a telegram
// with a variable data field (68 LE LE 68 DA SA FC data CS 16, LE counting
// from DA to the last data byte), 0x10 a short one (10 DA SA FC CS 16). The
// checksum is the sum of the LE bytes from DA on, modulo 256.

namespace rq30 {

namespace {

constexpr uint8_t kStartLong = 0x68;
constexpr uint8_t kStartShort = 0x10;
constexpr uint8_t kEnd = 0x16;
constexpr uint8_t kFcRead = 0x6C;
constexpr uint8_t kFcWrite = 0x63;
constexpr uint8_t kFcProbe = 0x69;
constexpr uint8_t kFcDataReply = 0x08;

constexpr uint8_t kCmdIdentify = 0;
constexpr uint8_t kCmdReadBlock = 1;
constexpr uint8_t kCmdWriteBlock = 2;
constexpr uint8_t kCmdFirmware = 4;
constexpr uint8_t kCmdStoreEeprom = 6;

constexpr int kHeaderSize = 7;      // 68 LE LE 68 DA SA FC
constexpr int kBlockDataStart = 12;  // after command, table, length, offset
constexpr int kReplyOverhead = 9;    // a reply with n data bytes is n + 9 long
constexpr int kShortAckSize = 6;
constexpr int kMaxReply = 255;
constexpr int kLengthFieldEnd = 3;  // 68 LE LE
constexpr int kForeignReadSize = 254;
constexpr int kRecordTable = 12;
constexpr int kRecordBlockBytes = 64;
// The line waits 2 ms per byte plus 500 ms for a read: a single read of the
// longest reply gives a slow controller 1010 ms to start answering.
constexpr int kOpenLengthFirstByteMs = 2 * kMaxReply + 500;
// The gap after which the line ends a read that has bytes.
constexpr int kLineGapMs = 100;

// Table 19 (program start with start time) travels as table 14 with its own length.
int WireTableNumber(int table) { return table == 19 ? 14 : table; }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Sendings of one exchange against the reads that brought something. A
// sending never followed by a read counts however many reads brought
// something before it (a damaged reply is read twice). A request sent once
// leaves no answer due: its reply was read, or the exchange failed without
// a repeat.
class Unanswered {
 public:
  void Sent() {
    ++sendings_;
    lastSendingRead_ = false;
  }
  void Read(int got) {
    if (got > 0) ++answers_;
    lastSendingRead_ = true;
    lastGot_ = got;
  }
  int Due() const {
    if (sendings_ == 1) return 0;
    return std::max(sendings_ - answers_, lastSendingRead_ ? 0 : 1);
  }
  // The last sending was read and something came.
  bool LastAnswered() const { return lastSendingRead_ && lastGot_ > 0; }

 private:
  int sendings_ = 1;
  int answers_ = 0;
  bool lastSendingRead_ = false;
  int lastGot_ = 0;
};

}  // namespace

Link::Link(TableImage& image, Port* port) : image_(image), port_(port), pause_(SleepMs) {}

void Link::SetPause(PauseFn pause) { pause_ = pause ? std::move(pause) : PauseFn(SleepMs); }

void Link::SetReporter(ReportFn report) { report_ = std::move(report); }

void Link::Pause(int ms) { pause_(ms); }

void Link::Report(const char* text, const char* caption) {
  if (report_) report_(text, caption);
}

void Link::Header(uint8_t fc) {
  tx_[0] = kStartLong;
  tx_[1] = static_cast<uint8_t>(le_);
  tx_[2] = static_cast<uint8_t>(le_);
  tx_[3] = kStartLong;
  tx_[4] = da_;
  tx_[5] = sa_;
  tx_[6] = fc;
}

void Link::BlockRequest(uint8_t fc, uint8_t command, int table, int length, int offset) {
  le_ = static_cast<int8_t>(fc == kFcWrite ? length + 8 : 8);
  Header(fc);
  tx_[7] = command;
  tx_[8] = static_cast<uint8_t>(table);
  tx_[9] = static_cast<uint8_t>(length);
  tx_[10] = static_cast<uint8_t>(offset >> 8);
  tx_[11] = static_cast<uint8_t>(offset);
}

void Link::Finish() {
  const int le = static_cast<uint8_t>(le_);
  unsigned sum = 0;
  for (int i = 4; i < 4 + le; ++i) sum += tx_[i];
  tx_[4 + le] = static_cast<uint8_t>(sum);
  tx_[5 + le] = kEnd;
}

bool Link::SendRequest() {
  if (!port_) return false;
  int written = 0;
  const int n = static_cast<uint8_t>(le_) + 6;
  return port_->WritePort(tx_, n, written) && written == n;
}

bool Link::Read(int n, int& got, int at) {
  got = 0;
  if (!port_) return false;
  n = std::min(n, kBufferSize - at);
  const bool ok = port_->ReadPort(rx_ + at, n, got);
  got = std::clamp(got, 0, n);
  return ok;
}

// A data reply is valid only when its own LE accounts for exactly the bytes
// that arrived: a lying LE must never make the checks look past them.
bool Link::CheckDataReply(int got) const {
  if (got < kReplyOverhead) return false;
  if (rx_[0] != kStartLong) return false;
  if (rx_[1] != rx_[2]) return false;
  const int le = rx_[1];
  if (le + 6 != got) return false;
  if (rx_[6] != kFcDataReply) return false;
  if (rx_[le + 5] != kEnd) return false;
  unsigned sum = 0;
  for (int i = 4; i < 4 + le; ++i) sum += rx_[i];
  return static_cast<uint8_t>(sum) == rx_[4 + le];
}

bool Link::CheckShortAck() {
  if (rx_[0] != kStartShort) return false;
  if (rx_[3] != 0) {
    ackError_ = rx_[3];
    exchangeAckCode_ = rx_[3];
    return false;
  }
  if (rx_[5] != kEnd) return false;
  return static_cast<uint8_t>(rx_[1] + rx_[2] + rx_[3]) == rx_[4];
}

// A request that gets no answer goes out three times in all; a complete but
// damaged reply is followed by one more read without a new request.
bool Link::ReceiveDataReply(int n) {
  const int size = n + kReplyOverhead;
  Unanswered unanswered;
  bool result = false;
  for (int attempt = 0; attempt < 2 && !result; ++attempt) {
    int got = 0;
    Read(size, got);
    unanswered.Read(got);
    if (got != size) {
      Pause(kPauseAfterShortRead);
      SendRequest();
      unanswered.Sent();
      continue;
    }
    result = CheckDataReply(got);
  }
  DiscardLateAnswers(size, unanswered.Due(), unanswered.LastAnswered());
  return result;
}

// Reads a reply whose length is open in advance: the start byte and the two
// length bytes first, then exactly the rest the length announces, so that
// the read ends with the reply's last byte rather than waiting out the gap
// after it. The first byte is waited for as long as a single read of the
// longest reply would wait, so a controller slow to start answering is
// still heard. Returns the number of bytes read.
int Link::ReadOpenLength() {
  int got = 0;
  if (!port_) return 0;
  port_->ReadPortWithin(rx_, kLengthFieldEnd, got, kOpenLengthFirstByteMs);
  got = std::clamp(got, 0, kLengthFieldEnd);
  if (got > 0 && got < kLengthFieldEnd) {
    // The header came in pieces: the rest of it under the line's rules.
    int more = 0;
    Read(kLengthFieldEnd - got, more, got);
    got += more;
  }
  if (got < kLengthFieldEnd) return got;
  const int rest = static_cast<int8_t>(rx_[1]) + 6 - kLengthFieldEnd;
  if (rest <= 0) return got;
  int more = 0;
  Read(std::min(rest, kMaxReply - got), more, got);
  return got + more;
}

bool Link::ReceiveReply() {
  Unanswered unanswered;
  int got = ReadOpenLength();
  unanswered.Read(got);
  if (got < 2 || got != static_cast<int8_t>(rx_[1]) + 6) {
    Pause(kPauseAfterShortRead);
    SendRequest();
    unanswered.Sent();
    got = ReadOpenLength();
    unanswered.Read(got);
  }
  const bool result = CheckDataReply(got);
  DiscardLateAnswers(kMaxReply, unanswered.Due(), unanswered.LastAnswered());
  return result;
}

bool Link::ReceiveAcknowledgement() {
  Unanswered unanswered;
  exchangeAckCode_ = 0;
  bool result = false;
  bool repeatUnread = false;
  for (int attempt = 0; attempt < 2 && !result; ++attempt) {
    int got = 0;
    Read(kShortAckSize, got);
    unanswered.Read(got);
    repeatUnread = false;
    if (got != kShortAckSize) {
      SendRequest();
      unanswered.Sent();
      repeatUnread = true;
      continue;
    }
    result = CheckShortAck();
  }
  if (repeatUnread) {
    // The controller carries out a repeated write (a refused one too) and
    // acknowledges it: the answer to the last sending decides, so a value
    // that was written is never reported as lost. A read that brings
    // nothing ends the reading off as well.
    int got = 0;
    Read(kShortAckSize, got);
    unanswered.Read(got);
    if (got == 0) return false;
    if (got == kShortAckSize) result = CheckShortAck();
  }
  DiscardLateAnswers(kShortAckSize, unanswered.Due(), unanswered.LastAnswered());
  return result;
}

// After a repeated request an answer may still be on its way: to the last
// sending, which the exchange never reads, or to an earlier one that came
// late. A data reply does not say which table it carries, so such an answer
// would be taken for the next request's reply. For each sending that got no
// answer, whatever arrives within the read's time-out is read off and thrown
// away, until a read brings nothing; the reply in the receive buffer stays.
// A request sent once and answered costs nothing here.
//
// When the last sending was answered and an answer is still due, the one
// read was a late answer to an earlier sending and the repeat's answer is
// behind it. A controller answers its requests in turn: if it is prompt
// with the repeat, that answer follows the one read at once, and a read-off
// that waits one line gap for its first byte catches it; if it is as slow
// with the repeat as with the first sending, the answer comes about one
// sending interval (a time-out and the 100 ms pause) later, which a whole
// time-out after the read did not catch either. Only a controller slow by
// something in between is left to the next exchange's purge. When the last
// sending went unanswered, its answer may come as late as any reply: that
// read-off waits the whole time-out.
void Link::DiscardLateAnswers(int replySize, int answersDue, bool lastAnswered) {
  if (!port_) return;
  uint8_t scratch[kBufferSize];
  const int size = std::min(replySize, kBufferSize);
  for (int i = 0; i < answersDue; ++i) {
    int got = 0;
    const bool ok = lastAnswered ? port_->ReadPortWithin(scratch, size, got, kLineGapMs)
                                 : port_->ReadPort(scratch, size, got);
    if (!ok || got <= 0) return;
  }
}

void Link::PurgeAfterFailure() {
  if (!port_) return;
  port_->PurgeTransmit();
  port_->PurgeReceive();
}

int Link::ReadTable(int table) {
  if (table < 0 || table >= kTableCount) {
    // No length is known for such a table, so nothing can be asked for.
    Report("Chyba, číslo tabulky mimo rozsah.", "Sériový Port");
    return 0;
  }
  const int length = kTableLength[table];
  BlockRequest(kFcRead, kCmdReadBlock, WireTableNumber(table), length, 0);
  Finish();
  bool result = SendRequest();
  if (da_ != kBroadcastAddress) {
    result = ReceiveDataReply(length);
    if (result) {
      if (LayoutOf(table).decodable) {
        DecodeTable(table, rx_ + kHeaderSize, static_cast<std::size_t>(length), image_);
      } else {
        Report("Chyba, číslo tabulky mimo rozsah.", "Sériový Port");
      }
    }
  }
  if (!result) PurgeAfterFailure();
  return result ? 1 : 0;
}

int Link::WriteTable(int table) {
  if (!LayoutOf(table).encodable) {
    Report("Nepředvídaná chyba, špatně zadaná tabulka", "DATA");
    return 0;
  }
  const int length = kTableLength[table];
  BlockRequest(kFcWrite, kCmdWriteBlock, WireTableNumber(table), length, 0);
  EncodeTable(table, image_, tx_ + kBlockDataStart, kBufferSize - kBlockDataStart - 2);
  Finish();
  SendRequest();
  const bool result = ReceiveAcknowledgement();
  if (!result) PurgeAfterFailure();
  return result ? 1 : 0;
}

namespace {

struct BlockShape {
  int length;
  int offset;
};

// Variant 0: the setpoint list; 1: program setpoints of one program; any
// other: program times of one program.
BlockShape ProgramBlockShape(int variant, int program) {
  if (variant == 0) return {40, 0};
  if (variant == 1) return {80, 80 * program};
  return {40, 40 * program};
}

bool ProgramInRange(int variant, int program) {
  return variant == 0 || (program >= 0 && program < kPrograms);
}

}  // namespace

int Link::ReadProgramBlock(int variant, int program, int table) {
  // A program number from outside 0..9 must never become an index or offset.
  if (!ProgramInRange(variant, program)) return 0;
  const BlockShape shape = ProgramBlockShape(variant, program);
  BlockRequest(kFcRead, kCmdReadBlock, table, shape.length, shape.offset);
  Finish();
  bool result = SendRequest();
  if (da_ != kBroadcastAddress) {
    result = ReceiveDataReply(shape.length);
    if (result) {
      const uint8_t* data = rx_ + kHeaderSize;
      if (variant == 0) {
        for (int i = 0; i < kPrograms; ++i) image_.setpointList[i] = GetFloat(data + 4 * i);
      } else if (variant == 1) {
        for (int i = 0; i < kSegments; ++i)
          image_.programSetpoints[program][i] = GetFloat(data + 4 * i);
      } else {
        for (int i = 0; i < kSegments; ++i)
          image_.programTimes[program][i] = GetUInt16(data + 2 * i);
      }
    }
  }
  if (!result) PurgeAfterFailure();
  return result ? 1 : 0;
}

int Link::WriteProgramBlock(int variant, int program, int table) {
  if (!ProgramInRange(variant, program)) return 0;
  const BlockShape shape = ProgramBlockShape(variant, program);
  BlockRequest(kFcWrite, kCmdWriteBlock, table, shape.length, shape.offset);
  uint8_t* data = tx_ + kBlockDataStart;
  if (variant == 0) {
    for (int i = 0; i < kPrograms; ++i) PutFloat(data + 4 * i, image_.setpointList[i]);
  } else if (variant == 1) {
    for (int i = 0; i < kSegments; ++i) PutFloat(data + 4 * i, image_.programSetpoints[program][i]);
  } else {
    for (int i = 0; i < kSegments; ++i) PutInt16(data + 2 * i, image_.programTimes[program][i]);
  }
  Finish();
  SendRequest();
  const bool result = ReceiveAcknowledgement();
  if (!result) PurgeAfterFailure();
  return result ? 1 : 0;
}

int Link::ReadRecordBlock(int block) {
  if (block < 0 || block >= kRecordValues / 16) return 0;
  BlockRequest(kFcRead, kCmdReadBlock, kRecordTable, kRecordBlockBytes,
               kRecordBlockBytes * block + 1);  // + 1 skips the ring index byte
  Finish();
  bool result = SendRequest();
  if (da_ != kBroadcastAddress) {
    Pause(kPauseBeforeRecordBlock);
    result = ReceiveDataReply(kRecordBlockBytes);
    if (result) {
      for (int i = 0; i < 16; ++i) image_.recordValues[16 * block + i] = GetFloat(rx_ + 7 + 4 * i);
    }
  }
  Pause(kPauseAfterRecordBlock);
  return result ? 1 : 0;
}

namespace {

// Copies the text of an identification reply (LE − 3 bytes from offset 7),
// never more than fits with its terminating zero.
void CopyIdentText(const uint8_t* rx, char (&text)[kIdentTextSize]) {
  std::memset(text, 0, sizeof text);
  const int available = rx[1] - 3;
  const int n = std::clamp(available, 0, kIdentTextSize - 1);
  std::memcpy(text, rx + 7, static_cast<std::size_t>(n));
}

}  // namespace

int Link::ReadDeviceType() {
  le_ = 4;
  Header(kFcRead);
  tx_[7] = kCmdIdentify;
  Finish();
  SendRequest();
  const bool result = ReceiveReply();
  if (result) CopyIdentText(rx_, image_.deviceType);
  return result ? 1 : 0;
}

int Link::ReadFirmwareVersion() {
  le_ = 4;
  Header(kFcRead);
  tx_[7] = kCmdFirmware;
  Finish();
  SendRequest();
  const bool result = ReceiveReply();
  if (result) CopyIdentText(rx_, image_.firmwareVersion);
  return result ? 1 : 0;
}

// A device of another kind answers the identification request in its own
// format; only its length byte is looked at.
int Link::ReadForeignIdent() {
  le_ = 4;
  Header(kFcRead);
  tx_[7] = kCmdIdentify;
  Finish();
  SendRequest();
  int got = 0;
  const bool ok = Read(kForeignReadSize, got);
  // Byte 1 must be one that arrived in this reply, not a leftover.
  if (!ok || got < 2 || static_cast<int8_t>(rx_[1]) <= 4) return 0;
  std::memset(image_.foreignTexts, 0, sizeof image_.foreignTexts);
  const int claimed = static_cast<int8_t>(rx_[1]) - 4;
  const int n = std::clamp(std::min(claimed, got - 8), 0, kForeignTextSize);
  std::memcpy(image_.foreignTexts, rx_ + 8, static_cast<std::size_t>(n));
  return 1;
}

int Link::StoreToEeprom() {
  le_ = 4;
  Header(kFcWrite);
  tx_[7] = kCmdStoreEeprom;
  Finish();
  SendRequest();
  return ReceiveAcknowledgement() ? 1 : 0;
}

int Link::ProbeAddress() {
  tx_[0] = kStartShort;
  tx_[1] = da_;
  tx_[2] = sa_;
  tx_[3] = kFcProbe;
  tx_[4] = static_cast<uint8_t>(da_ + sa_ + kFcProbe);
  tx_[5] = kEnd;
  if (!port_) return 0;
  int written = 0;
  if (!port_->WritePort(tx_, 6, written) || written != 6) return 0;
  int got = 0;
  Read(kShortAckSize, got);
  if (got != kShortAckSize) return 0;
  return CheckShortAck() ? 1 : 0;
}

}  // namespace rq30
