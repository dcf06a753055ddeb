// The telegram layer against a line that hands back arbitrary bytes.
//
// One input is a short session on one Link: the device and computer address,
// then up to eight operations (every kind the program uses, with arguments
// inside and just outside their ranges), each reading from a scripted line
// whose reads and writes come from the input. Besides the sanitizers, every
// operation is held to what the program relies on:
//  - success means the last reply read was well-formed, checked here
//    independently of the link's own checks, and a well-formed reply is never
//    thrown away;
//  - a failed operation leaves the table image exactly as it was, and a
//    successful one changes nothing but what its reply carries;
//  - every telegram written is well-formed and fits the 256-byte buffer;
//  - after a repeated request, the line is read once more before the
//    operation returns.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "byte_reader.h"
#include "link.h"
#include "table_layout.h"

namespace {

using rq30::TableImage;
using Bytes = std::vector<uint8_t>;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "fuzz_link: %s\n", what);
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

// Reads take, per read: a control byte (bit 7: the read call fails; bit 6:
// the bytes are framed into a telegram with a correct checksum, so that the
// decoders are reached without guessing checksums), a length, then the bytes.
// Writes take one byte: 0xF0 and above fail, 0xEF writes one byte short.
// An exhausted input is a silent line.
//
// A read into the start of the link's receive buffer begins a reply, a read
// further into it continues the reply (a reply of open length comes in two
// reads), and a read anywhere else is an answer read off and thrown away.
class ScriptedLine : public rq30::Port {
 public:
  explicit ScriptedLine(rq30::fuzz::ByteReader& input) : input_(input) {}

  void SetReceiveBuffer(const uint8_t* rx) { rx_ = rx; }

  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    got = 0;
    ++reads;
    ++readsSinceWrite;
    const bool intoReply = buffer >= rx_ && buffer < rx_ + rq30::kBufferSize;
    const std::size_t offset = intoReply ? static_cast<std::size_t>(buffer - rx_) : 0;
    Require(!intoReply || offset + static_cast<std::size_t>(n) <= rq30::kBufferSize,
            "a read past the receive buffer");
    if (intoReply) {
      lastRead.resize(offset < lastRead.size() ? offset : lastRead.size());
      lastReadOk = true;
    }
    if (input_.Empty()) return true;
    const uint8_t control = input_.Byte();
    if (control & 0x80) {
      if (intoReply) lastReadOk = false;
      return false;
    }
    const int wanted = input_.Byte();
    Bytes bytes = input_.Take(static_cast<std::size_t>(wanted < n ? wanted : n));
    if (intoReply) {
      Require(offset == lastRead.size(), "a reply continued at a gap");
      lastRead.insert(lastRead.end(), bytes.begin(), bytes.end());
      if (control & 0x40) Frame(lastRead, offset);
      bytes.assign(lastRead.begin() + static_cast<std::ptrdiff_t>(offset), lastRead.end());
    }
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    got = static_cast<int>(bytes.size());
    return true;
  }

  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    written = 0;
    Require(n > 0 && n <= rq30::kBufferSize, "a telegram longer than the buffer");
    CheckTelegram(Bytes(buffer, buffer + n));
    ++writes;
    const uint8_t control = input_.Empty() ? 0 : input_.Byte();
    if (control >= 0xF0) {
      lastWriteOk = false;
      return false;
    }
    written = control == 0xEF ? n - 1 : n;
    lastWriteOk = written == n;
    readsSinceWrite = 0;
    return true;
  }

  void PurgeReceive() override {}
  void PurgeTransmit() override {}

  void StartOperation() {
    reads = 0;
    writes = 0;
    readsSinceWrite = 0;
    lastRead.clear();
    lastReadOk = true;
    lastWriteOk = true;
  }

  int reads = 0;
  int writes = 0;
  int readsSinceWrite = 0;
  Bytes lastRead;  // the last reply, as read into the receive buffer
  bool lastReadOk = true;
  bool lastWriteOk = true;

 private:
  // Frames the reply so far into a telegram, touching only the bytes from
  // `from` on (those of this read).
  static void Frame(Bytes& t, std::size_t from) {
    const std::size_t n = t.size();
    auto set = [&](std::size_t i, uint8_t v) {
      if (i >= from && i < n) t[i] = v;
    };
    if (n == 3) {  // the length bytes of a reply of open length
      set(0, 0x68);
      set(2, t[1]);
    } else if (n == 6 && t[0] != 0x68) {
      set(0, 0x10);
      set(4, static_cast<uint8_t>(t[1] + t[2] + t[3]));
      set(5, 0x16);
    } else if (n >= 9) {
      set(0, 0x68);
      set(3, 0x68);
      set(1, static_cast<uint8_t>(n - 6));
      set(2, t[1]);
      set(6, 0x08);
      unsigned sum = 0;
      for (std::size_t i = 4; i < n - 2; ++i) sum += t[i];
      set(n - 2, static_cast<uint8_t>(sum));
      set(n - 1, 0x16);
    }
  }

  static void CheckTelegram(const Bytes& t) {
    if (t[0] == 0x10) {
      Require(t.size() == 6 && t[3] == 0x69 && t[5] == 0x16 &&
                  t[4] == static_cast<uint8_t>(t[1] + t[2] + t[3]),
              "a malformed probe telegram");
      return;
    }
    Require(t.size() >= 10 && t[0] == 0x68 && t[3] == 0x68 && t[1] == t[2] &&
                t.size() == std::size_t{t[1]} + 6 && t.back() == 0x16,
            "a malformed request telegram");
    unsigned sum = 0;
    for (std::size_t i = 4; i < t.size() - 2; ++i) sum += t[i];
    Require(t[t.size() - 2] == static_cast<uint8_t>(sum), "a request with a wrong checksum");
  }

  rq30::fuzz::ByteReader& input_;
  const uint8_t* rx_ = nullptr;
};

// The reply checks as the controller's protocol states them, written apart
// from the link's own.
bool WellFormedDataReply(const Bytes& r, int dataBytes) {
  if (r.size() < 9 || r[0] != 0x68 || r[1] != r[2] || r.size() != std::size_t{r[1]} + 6)
    return false;
  if (r[6] != 0x08 || r.back() != 0x16) return false;
  if (dataBytes >= 0 && r.size() != static_cast<std::size_t>(dataBytes) + 9) return false;
  unsigned sum = 0;
  for (std::size_t i = 4; i < r.size() - 2; ++i) sum += r[i];
  return r[r.size() - 2] == static_cast<uint8_t>(sum);
}

bool WellFormedAck(const Bytes& r) {
  return r.size() == 6 && r[0] == 0x10 && r[3] == 0 && r[5] == 0x16 &&
         r[4] == static_cast<uint8_t>(r[1] + r[2] + r[3]);
}

bool SameImage(const TableImage& a, const TableImage& b) {
  return std::memcmp(&a, &b, sizeof(TableImage)) == 0;
}

void ExpectUnchanged(const TableImage& before, const TableImage& after, const char* what) {
  Require(SameImage(before, after), what);
}

enum Operation {
  kReadTable,
  kWriteTable,
  kReadProgramBlock,
  kWriteProgramBlock,
  kReadRecordBlock,
  kReadDeviceType,
  kReadFirmwareVersion,
  kReadForeignIdent,
  kStoreToEeprom,
  kProbeAddress,
  kOperations
};

void RunOne(rq30::Link& link, ScriptedLine& line, rq30::fuzz::ByteReader& in, int& reports) {
  TableImage& image = link.Image();
  const TableImage before = image;
  TableImage expected = before;
  const int operation = in.Byte() % kOperations;
  const bool broadcast = link.GetDeviceAddress() == rq30::kBroadcastAddress;
  const int reportsBefore = reports;
  line.StartOperation();

  switch (operation) {
    case kReadTable: {
      const int table = in.Byte() % 24 - 2;  // -2 .. 21
      const int result = link.ReadTable(table);
      if (table < 0 || table >= rq30::kTableCount) {
        Require(result == 0 && line.writes == 0, "a table number out of range was asked for");
        ExpectUnchanged(before, image, "an out-of-range table changed the image");
        break;
      }
      const int length = rq30::kTableLength[table];
      if (broadcast) {
        Require(line.reads == 0 && result == (line.lastWriteOk ? 1 : 0), "broadcast read");
        ExpectUnchanged(before, image, "a broadcast read changed the image");
        break;
      }
      const bool good = WellFormedDataReply(line.lastRead, length);
      Require(result == (good ? 1 : 0), "ReadTable result disagrees with the reply");
      if (result && rq30::LayoutOf(table).decodable) {
        rq30::DecodeTable(table, line.lastRead.data() + 7, static_cast<std::size_t>(length),
                          expected);
      }
      if (result && !rq30::LayoutOf(table).decodable) {
        Require(reports == reportsBefore + 1, "a table without decoder was not reported");
      }
      ExpectUnchanged(expected, image, "ReadTable changed more than its reply carries");
      break;
    }
    case kWriteTable: {
      const int table = in.Byte() % 24 - 2;
      const int result = link.WriteTable(table);
      if (!rq30::LayoutOf(table).encodable) {
        Require(result == 0 && line.writes == 0 && reports == reportsBefore + 1,
                "a table without encoder was sent or not reported");
      } else {
        Require(result == (WellFormedAck(line.lastRead) ? 1 : 0),
                "WriteTable result disagrees with the acknowledgement");
      }
      ExpectUnchanged(before, image, "a write changed the image");
      break;
    }
    case kReadProgramBlock:
    case kWriteProgramBlock: {
      const int variant = in.Byte() % 4;
      const int program = in.Byte() % 14 - 2;  // -2 .. 11
      const int table = in.Byte();
      const bool read = operation == kReadProgramBlock;
      const int result = read ? link.ReadProgramBlock(variant, program, table)
                              : link.WriteProgramBlock(variant, program, table);
      const bool inRange = variant == 0 || (program >= 0 && program < rq30::kPrograms);
      if (!inRange) {
        Require(result == 0 && line.writes == 0, "a program out of range was asked for");
      } else if (!read) {
        Require(result == (WellFormedAck(line.lastRead) ? 1 : 0),
                "WriteProgramBlock result disagrees");
      } else if (broadcast) {
        Require(line.reads == 0 && result == (line.lastWriteOk ? 1 : 0), "broadcast block read");
      } else {
        const int length = variant == 1 ? 80 : 40;
        Require(result == (WellFormedDataReply(line.lastRead, length) ? 1 : 0),
                "ReadProgramBlock result disagrees with the reply");
        if (result) {
          const uint8_t* data = line.lastRead.data() + 7;
          for (int i = 0; i < (variant == 0 ? rq30::kPrograms : rq30::kSegments); ++i) {
            if (variant == 0)
              expected.setpointList[i] = rq30::GetFloat(data + 4 * i);
            else if (variant == 1)
              expected.programSetpoints[program][i] = rq30::GetFloat(data + 4 * i);
            else
              expected.programTimes[program][i] = rq30::GetUInt16(data + 2 * i);
          }
        }
      }
      ExpectUnchanged(expected, image, "a program block changed more than its reply carries");
      break;
    }
    case kReadRecordBlock: {
      const int block = in.Byte() % 18 - 1;  // -1 .. 16
      const int result = link.ReadRecordBlock(block);
      if (block < 0 || block >= 16) {
        Require(result == 0 && line.writes == 0, "a record block out of range was asked for");
      } else if (broadcast) {
        Require(line.reads == 0 && result == (line.lastWriteOk ? 1 : 0), "broadcast record read");
      } else {
        Require(result == (WellFormedDataReply(line.lastRead, 64) ? 1 : 0),
                "ReadRecordBlock result disagrees with the reply");
        if (result) {
          for (int i = 0; i < 16; ++i) {
            expected.recordValues[16 * block + i] =
                rq30::GetFloat(line.lastRead.data() + 7 + 4 * i);
          }
        }
      }
      ExpectUnchanged(expected, image, "a record block changed more than its reply carries");
      break;
    }
    case kReadDeviceType:
    case kReadFirmwareVersion: {
      const bool type = operation == kReadDeviceType;
      const int result = type ? link.ReadDeviceType() : link.ReadFirmwareVersion();
      Require(result == (WellFormedDataReply(line.lastRead, -1) ? 1 : 0),
              "identification result disagrees with the reply");
      if (result) {
        char* text = type ? expected.deviceType : expected.firmwareVersion;
        std::memset(text, 0, rq30::kIdentTextSize);
        const std::size_t n = line.lastRead.size() - 9;
        std::memcpy(text, line.lastRead.data() + 7,
                    n < rq30::kIdentTextSize - 1 ? n : rq30::kIdentTextSize - 1);
      }
      ExpectUnchanged(expected, image, "identification changed more than its text");
      break;
    }
    case kReadForeignIdent: {
      const int result = link.ReadForeignIdent();
      const Bytes& r = line.lastRead;
      const bool taken = line.lastReadOk && r.size() >= 2 && static_cast<int8_t>(r[1]) > 4;
      Require(result == (taken ? 1 : 0), "foreign identification result disagrees with the reply");
      if (result) {
        std::memset(expected.foreignTexts, 0, sizeof expected.foreignTexts);
        std::size_t n = static_cast<std::size_t>(static_cast<int8_t>(r[1]) - 4);
        const std::size_t arrived = r.size() > 8 ? r.size() - 8 : 0;
        if (n > arrived) n = arrived;
        std::memcpy(expected.foreignTexts, r.data() + 8, n);
      }
      ExpectUnchanged(expected, image, "foreign identification changed more than its texts");
      break;
    }
    case kStoreToEeprom: {
      const int result = link.StoreToEeprom();
      Require(result == (WellFormedAck(line.lastRead) ? 1 : 0), "EEPROM store result disagrees");
      ExpectUnchanged(before, image, "an EEPROM store changed the image");
      break;
    }
    case kProbeAddress: {
      const int result = link.ProbeAddress();
      Require(line.writes == 1 && line.reads <= 1, "a probe is one telegram and one read");
      Require(result == (line.reads == 1 && WellFormedAck(line.lastRead) ? 1 : 0),
              "probe result disagrees with the acknowledgement");
      ExpectUnchanged(before, image, "a probe changed the image");
      break;
    }
    default:
      break;
  }
  // An answer to a repeated request that nobody reads would be taken for the
  // next request's reply.
  Require(line.writes <= 1 || line.readsSinceWrite > 0,
          "the answer to a repeated request was left on the line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  rq30::fuzz::ByteReader in(data, size);
  static TableImage image;
  rq30::ClearImage(image);
  ScriptedLine line(in);
  rq30::Link link(image, &line);
  line.SetReceiveBuffer(link.ReceiveBuffer());
  int reports = 0;
  link.SetPause([](int ms) {
    Require(ms == rq30::kPauseAfterShortRead || ms == rq30::kPauseBeforeRecordBlock ||
                ms == rq30::kPauseAfterRecordBlock,
            "a pause the protocol does not have");
  });
  link.SetReporter([&reports](const std::string&, const std::string&) { ++reports; });
  link.SetDeviceAddress(in.Byte() & 0x7F);
  link.SetComputerAddress(in.Byte() % 127);
  for (int n = 0; n < 8 && !in.Empty(); ++n) RunOne(link, line, in, reports);
  return 0;
}
