// The telegram layer against a scripted line: requests byte for byte, reply
// checks, retries, purges and pauses.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <utility>

#include "fake_port.h"
#include "link.h"
#include "table_layout.h"

namespace rq30 {
namespace {

using test::Bytes;
using test::DataReply;
using test::FakePort;
using test::Hex;
using test::ShortAck;
using test::ToHex;
using Events = std::vector<std::string>;

class Telegram : public ::testing::Test {
 protected:
  Telegram() {
    link.SetPause([this](int ms) { port.Pause(ms); });
    link.SetReporter([this](const std::string& text, const std::string& caption) {
      reports.emplace_back(text, caption);
    });
    link.SetDeviceAddress(test::kDeviceAddress);
    link.SetComputerAddress(test::kComputerAddress);
  }

  int Sends() const { return static_cast<int>(port.writes.size()); }

  TableImage image{};
  FakePort port;
  Link link{image, &port};
  std::vector<std::pair<std::string, std::string>> reports;
};

// Requests as the controller's request tables write them (DA 5, SA 3).
TEST_F(Telegram, RequestsByteForByte) {
  image.sp = 100.0f;
  struct Case {
    const char* what;
    int (*run)(Link&);
    const char* bytes;
  } cases[] = {
      {"read table 11", [](Link& l) { return l.ReadTable(11); },
       "68 08 08 68 05 03 6C 01 0B 11 00 00 91 16"},
      {"read table 19 goes as 14 with length 7", [](Link& l) { return l.ReadTable(19); },
       "68 08 08 68 05 03 6C 01 0E 07 00 00 8A 16"},
      {"read table 14", [](Link& l) { return l.ReadTable(14); },
       "68 08 08 68 05 03 6C 01 0E 04 00 00 87 16"},
      {"write table 0", [](Link& l) { return l.WriteTable(0); },
       "68 0C 0C 68 05 03 63 02 00 04 00 00 42 C8 00 00 7B 16"},
      {"setpoint list", [](Link& l) { return l.ReadProgramBlock(0, 3, 0); },
       "68 08 08 68 05 03 6C 01 00 28 00 00 9D 16"},
      {"program setpoints of program 9", [](Link& l) { return l.ReadProgramBlock(1, 9, 17); },
       "68 08 08 68 05 03 6C 01 11 50 02 D0 A8 16"},
      {"program times of program 9", [](Link& l) { return l.ReadProgramBlock(2, 9, 18); },
       "68 08 08 68 05 03 6C 01 12 28 01 68 18 16"},
      {"record block 15", [](Link& l) { return l.ReadRecordBlock(15); },
       "68 08 08 68 05 03 6C 01 0C 40 03 C1 85 16"},
      {"device identification", [](Link& l) { return l.ReadDeviceType(); },
       "68 04 04 68 05 03 6C 00 74 16"},
      {"firmware version", [](Link& l) { return l.ReadFirmwareVersion(); },
       "68 04 04 68 05 03 6C 04 78 16"},
      {"store to EEPROM", [](Link& l) { return l.StoreToEeprom(); },
       "68 04 04 68 05 03 63 06 71 16"},
      {"probe", [](Link& l) { return l.ProbeAddress(); }, "10 05 03 69 71 16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    port.writes.clear();
    c.run(link);
    ASSERT_FALSE(port.writes.empty());
    EXPECT_EQ(ToHex(port.writes.front()), c.bytes);
  }
}

TEST_F(Telegram, WriteUsesCurrentAddressesAndTableData) {
  link.SetDeviceAddress(3);
  link.SetComputerAddress(1);
  image.programSelection = {0x01, 0x09};
  port.replies = {ShortAck()};
  EXPECT_EQ(link.WriteTable(16), 1);
  EXPECT_EQ(ToHex(port.writes.at(0)), "68 0A 0A 68 03 01 63 02 10 02 00 00 01 09 85 16");
}

TEST_F(Telegram, ProgramTimesTravelAsInt16) {
  image.programTimes[4][0] = 300;
  image.programTimes[4][19] = 65535;
  port.replies = {ShortAck()};
  EXPECT_EQ(link.WriteProgramBlock(2, 4, 18), 1);
  const Bytes& w = port.writes.at(0);
  ASSERT_EQ(w.size(), 54u);  // LE 48
  EXPECT_EQ(ToHex(Bytes(w.begin(), w.begin() + 14)), "68 30 30 68 05 03 63 02 12 28 00 A0 01 2C");
  EXPECT_EQ(w[50], 0xFF);
  EXPECT_EQ(w[51], 0xFF);
}

TEST_F(Telegram, ReadTableDecodesAValidReply) {
  port.replies = {DataReply(Hex("42 C8 00 00"))};
  EXPECT_EQ(link.ReadTable(0), 1);
  EXPECT_EQ(image.sp, 100.0f);
  EXPECT_EQ(port.events, (Events{"W", "R13"}));
}

// Each reply is complete (13 bytes for table 0) and fails exactly one check:
// every other check, the checksum included, still fits it, so a check that
// is lost lets its case through.
TEST_F(Telegram, DamagedRepliesAreRejected) {
  const Bytes good = DataReply(Hex("42 C8 00 00"));
  ASSERT_EQ(ToHex(good), "68 07 07 68 03 05 08 42 C8 00 00 1A 16");
  auto with = [&](int index, uint8_t value) {
    Bytes b = good;
    b[index] = value;
    return b;
  };
  const std::pair<const char*, Bytes> cases[] = {
      {"start byte", with(0, 0x10)},
      {"LE repeated differently", with(2, 0x06)},
      {"function code, checksum fitting it", Hex("68 07 07 68 03 05 00 42 C8 00 00 12 16")},
      {"end byte", with(12, 0x17)},
      {"checksum off by one", with(11, 0x1B)},
      {"checksum that leaves out the first address byte", with(11, 0x17)},
      {"checksum that leaves out the last data byte", Hex("68 07 07 68 03 05 08 42 C8 00 01 1A 16")},
      {"LE claims fewer bytes than came", Hex("68 06 06 68 03 05 08 42 C8 00 1A 16 16")},
      {"LE points past the buffer", with(1, 0xFF)},
  };
  for (const auto& [what, reply] : cases) {
    SCOPED_TRACE(what);
    image.sp = 1.0f;
    port.events.clear();
    port.writes.clear();
    port.replies = {reply};  // then nothing
    EXPECT_EQ(link.ReadTable(0), 0);
    EXPECT_EQ(image.sp, 1.0f);
    // The damaged reply is read again without a new request; the silent
    // second read sends once more, and the answer to that is read off
    // before giving up.
    EXPECT_EQ(port.events, (Events{"W", "R13", "R13", "S100", "W", "R13", "PT", "PR"}));
  }
}

TEST_F(Telegram, NoAnswerSendsThreeTimesThenPurges) {
  EXPECT_EQ(link.ReadTable(11), 0);
  // The last read waits for a late answer to the third sending; it brings
  // nothing, so no more are waited for.
  EXPECT_EQ(port.events,
            (Events{"W", "R26", "S100", "W", "R26", "S100", "W", "R26", "PT", "PR"}));
}

// Alarm 1 and alarm 2 have replies of the same length, and a data reply does
// not say which table it carries: an answer left on the line by a failed or
// repeated read of alarm 1 must never be decoded as alarm 2.
TEST_F(Telegram, LateAnswersAreNeverTakenForTheNextReply) {
  ASSERT_EQ(kTableLength[1], kTableLength[2]);
  const Bytes alarm1 = DataReply(Bytes(kTableLength[1], 0x11));
  const Bytes alarm2 = DataReply(Bytes(kTableLength[2], 0x22));
  Bytes damaged = alarm1;
  damaged[damaged.size() - 2] ^= 0xFF;  // checksum
  TableImage expected{};
  DecodeTable(2, alarm2.data() + 7, kTableLength[2], expected);
  const struct {
    const char* what;
    std::deque<Bytes> lineForAlarm1;
    int result;
  } cases[] = {
      {"the answer to the third sending comes after the last read", {{}, {}, alarm1, {}}, 0},
      {"the first answer comes late, the repeat's after the exchange", {{}, alarm1, alarm1}, 1},
      {"a cut answer, then the repeat's answer in time",
       {Bytes(alarm1.begin(), alarm1.begin() + 5), alarm1}, 1},
      {"a damaged answer, a cut one read after it, the repeat's after the exchange",
       {damaged, Bytes(alarm1.begin(), alarm1.begin() + 5), alarm1}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    port.replies = c.lineForAlarm1;
    EXPECT_EQ(link.ReadTable(1), c.result);
    EXPECT_TRUE(port.replies.empty()) << "an answer of alarm 1 was left on the line";
    port.replies.push_back(alarm2);
    EXPECT_EQ(link.ReadTable(2), 1);
    EXPECT_EQ(std::memcmp(&image.alarm2, &expected.alarm2, sizeof image.alarm2), 0);
    image.alarm2 = {};
  }
}

TEST_F(Telegram, ShortReplyThenGoodReplySucceeds) {
  const Bytes good = DataReply(Hex("42 C8 00 00"));
  port.replies = {Bytes(good.begin(), good.begin() + 5), good};
  EXPECT_EQ(link.ReadTable(0), 1);
  EXPECT_EQ(Sends(), 2);
  EXPECT_EQ(image.sp, 100.0f);
}

TEST_F(Telegram, BroadcastReadsOnlySend) {
  link.SetDeviceAddress(kBroadcastAddress);
  image.sp = 7.0f;
  port.replies = {DataReply(Hex("42 C8 00 00"))};
  EXPECT_EQ(link.ReadTable(0), 1);
  EXPECT_EQ(link.ReadProgramBlock(1, 0, 17), 1);
  EXPECT_EQ(port.events, (Events{"W", "W"}));
  EXPECT_EQ(image.sp, 7.0f);

  port.events.clear();
  EXPECT_EQ(link.ReadRecordBlock(0), 1);
  EXPECT_EQ(port.events, (Events{"W", "S300"}));
}

TEST_F(Telegram, BroadcastWritesWaitForAnAcknowledgement) {
  link.SetDeviceAddress(kBroadcastAddress);
  EXPECT_EQ(link.WriteTable(0), 0);
  EXPECT_EQ(Sends(), 3);
  EXPECT_EQ(port.writes[0][4], 127);
}

TEST_F(Telegram, NegativeAcknowledgementStoresItsCode) {
  port.replies = {Hex("10 03 05 05 0D 16")};
  EXPECT_EQ(link.WriteTable(0), 0);
  EXPECT_EQ(link.AckErrorCode(), 5);
  // The refusal is not answered with a new request; the empty second read
  // is, and the answer to that repeat is read off before giving up.
  EXPECT_EQ(port.events, (Events{"W", "R6", "R6", "W", "R6", "PT", "PR"}));
}

// The controller carries out the repeat of a refused write and says so:
// the write has succeeded, and the EEPROM store likewise.
TEST_F(Telegram, RepeatAcknowledgedAfterARefusalSucceeds) {
  port.replies = {Hex("10 03 05 05 0D 16"), Bytes{}, ShortAck()};
  EXPECT_EQ(link.WriteTable(0), 1);
  EXPECT_EQ(port.events, (Events{"W", "R6", "R6", "W", "R6"}));
  EXPECT_EQ(link.ExchangeAckCode(), 5);
  port.events.clear();
  port.replies = {Hex("10 03 05 05 0D 16"), Bytes{}, ShortAck()};
  EXPECT_EQ(link.StoreToEeprom(), 1);
  EXPECT_EQ(Sends(), 4);
}

// The code a failure is reported with is its own exchange's: a write that
// nobody answers after an earlier refusal has none.
TEST_F(Telegram, ExchangeCodeIsNeverAnEarlierOne) {
  port.replies = {Hex("10 03 05 05 0D 16")};
  EXPECT_EQ(link.WriteTable(1), 0);
  EXPECT_EQ(link.ExchangeAckCode(), 5);
  port.replies = {};
  EXPECT_EQ(link.WriteTable(1), 0);
  EXPECT_EQ(link.ExchangeAckCode(), 0);
  EXPECT_EQ(link.AckErrorCode(), 5);  // the last refusal seen, as ever
}

// Each acknowledgement breaks one check and fits the others. The checks run
// in order: the start byte first, then the code (a refusal is recorded even
// when its end byte or checksum is bad), then the end byte and the checksum.
TEST_F(Telegram, AcknowledgementChecks) {
  const struct {
    const char* what;
    const char* reply;
    int storedCode;
  } bad[] = {
      {"start byte", "68 03 05 00 08 16", 0},
      {"start byte, checked before the code", "68 03 05 05 0D 16", 0},
      {"end byte", "10 03 05 00 08 17", 0},
      {"checksum", "10 03 05 00 09 16", 0},
      {"checksum that leaves out the first address byte", "10 03 05 00 05 16", 0},
      {"refusal", "10 03 05 05 0D 16", 5},
      {"refusal with a bad end byte", "10 03 05 07 0F 17", 7},
      {"refusal with a bad checksum", "10 03 05 09 00 16", 9},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.what);
    Link fresh(image, &port);
    fresh.SetDeviceAddress(test::kDeviceAddress);
    fresh.SetComputerAddress(test::kComputerAddress);
    port.replies = {Hex(c.reply), Hex(c.reply)};
    EXPECT_EQ(fresh.StoreToEeprom(), 0);
    EXPECT_EQ(fresh.AckErrorCode(), c.storedCode);
    port.replies.clear();
  }
  port.replies = {Hex("10 03 05 00 08 16")};
  EXPECT_EQ(link.StoreToEeprom(), 1);
}

TEST_F(Telegram, TablesWithoutCodecs) {
  for (int table : {13, 17, 18}) {
    SCOPED_TRACE(table);
    reports.clear();
    const TableImage before = image;
    port.replies = {DataReply(Bytes(kTableLength[table], 0x11))};
    EXPECT_EQ(link.ReadTable(table), 1);
    EXPECT_EQ(std::memcmp(&before, &image, sizeof image), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, "Chyba, číslo tabulky mimo rozsah.");
    EXPECT_EQ(reports[0].second, "Sériový Port");
  }
  for (int table : {11, 12, 13, 17, 18}) {
    SCOPED_TRACE(table);
    reports.clear();
    port.writes.clear();
    EXPECT_EQ(link.WriteTable(table), 0);
    EXPECT_TRUE(port.writes.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, "Nepředvídaná chyba, špatně zadaná tabulka");
    EXPECT_EQ(reports[0].second, "DATA");
  }
}

TEST_F(Telegram, TableNumbersOutsideTheTablesSendNothing) {
  for (int table : {-1, 20, 255}) {
    EXPECT_EQ(link.ReadTable(table), 0);
    EXPECT_EQ(link.WriteTable(table), 0);
  }
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(Telegram, ProgramNumbersOutsideTheProgramsSendNothing) {
  EXPECT_EQ(link.ReadProgramBlock(1, 10, 17), 0);
  EXPECT_EQ(link.WriteProgramBlock(2, -1, 18), 0);
  EXPECT_EQ(link.ReadRecordBlock(16), 0);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(Telegram, RecordBlockPausesAroundTheRead) {
  Bytes data;
  for (int i = 0; i < 16; ++i) {
    const Bytes v = Hex("42 C8 00 00");
    data.insert(data.end(), v.begin(), v.end());
  }
  port.replies = {DataReply(data)};
  EXPECT_EQ(link.ReadRecordBlock(2), 1);
  EXPECT_EQ(port.events, (Events{"W", "S270", "R73", "S300"}));
  EXPECT_EQ(image.recordValues[32], 100.0f);
  EXPECT_EQ(image.recordValues[47], 100.0f);
  EXPECT_EQ(image.recordValues[48], 0.0f);

  port.events.clear();
  EXPECT_EQ(link.ReadRecordBlock(3), 0);
  // Failure: no purge, and the pause after the block still comes.
  EXPECT_EQ(port.events.back(), "S300");
  EXPECT_EQ(std::count(port.events.begin(), port.events.end(), "PR"), 0);
}

TEST_F(Telegram, ProgramBlocksDecodeIntoTheirProgram) {
  Bytes setpoints;
  for (int i = 0; i < 20; ++i) {
    const Bytes v = Hex("42 C8 00 00");
    setpoints.insert(setpoints.end(), v.begin(), v.end());
  }
  Bytes times;
  for (int i = 0; i < 20; ++i) times.insert(times.end(), {0xFF, 0xFB});
  port.replies = {DataReply(setpoints), DataReply(times)};
  EXPECT_EQ(link.ReadProgramBlock(1, 9, 17), 1);
  EXPECT_EQ(link.ReadProgramBlock(2, 9, 18), 1);
  EXPECT_EQ(image.programSetpoints[9][19], 100.0f);
  EXPECT_EQ(image.programSetpoints[8][19], 0.0f);
  EXPECT_EQ(image.programTimes[9][0], 65531);
}

TEST_F(Telegram, IdentificationTextsFitTheirBuffers) {
  // LE is taken as a signed length, so 127 is the longest that passes at once.
  port.replies = {DataReply(Bytes(124, 'A'))};
  EXPECT_EQ(link.ReadDeviceType(), 1);
  EXPECT_EQ(std::strlen(image.deviceType), 124u);

  // LE 255 would announce a 252-byte text, more than the 250-byte text
  // holds; as a signed length it is -1, so no such reply is ever whole.
  port.replies = {DataReply(Bytes(252, 'B'))};
  EXPECT_EQ(link.ReadDeviceType(), 0);
  EXPECT_EQ(image.deviceType[0], 'A');

  const std::string fw = "FW-K-47-02";
  port.replies = {DataReply(Bytes(fw.begin(), fw.end()))};
  EXPECT_EQ(link.ReadFirmwareVersion(), 1);
  EXPECT_STREQ(image.firmwareVersion, "FW-K-47-02");
}

TEST_F(Telegram, ReplyOfOpenLengthRetriesOnceWhenShort) {
  const std::string text = "VTQ45";
  const Bytes reply = DataReply(Bytes(text.begin(), text.end()));
  port.replies = {Bytes(reply.begin(), reply.begin() + 4), reply};
  EXPECT_EQ(link.ReadDeviceType(), 1);
  // The length bytes first, then exactly the rest they announce (LE 8).
  EXPECT_EQ(port.events, (Events{"W", "R3", "R11", "S100", "W", "R3", "R11"}));
  EXPECT_STREQ(image.deviceType, "VTQ45");

  // A reply whose LE claims more than arrived is never read past its end
  // (0xF0 is negative as a signed length).
  for (uint8_t le : {0x70, 0xF0}) {
    SCOPED_TRACE(le);
    Bytes liar = reply;
    liar[1] = liar[2] = le;
    port.replies = {liar, liar};
    std::strcpy(image.deviceType, "keep");
    EXPECT_EQ(link.ReadDeviceType(), 0);
    EXPECT_STREQ(image.deviceType, "keep");
  }
}

TEST_F(Telegram, ForeignIdentCopiesOnlyWhatArrived) {
  Bytes reply(20, 'x');
  reply[1] = 100;  // claims 96 bytes of texts; only 12 came
  port.replies = {reply};
  std::memset(image.foreignTexts, 'z', sizeof image.foreignTexts);
  EXPECT_EQ(link.ReadForeignIdent(), 1);
  EXPECT_EQ(image.foreignTexts[11], 'x');
  EXPECT_EQ(image.foreignTexts[12], 0);
  EXPECT_EQ(port.events, (Events{"W", "R254"}));

  // Nothing came: a length byte left over from the last reply must not count.
  port.replies = {Bytes{}};
  EXPECT_EQ(link.ReadForeignIdent(), 0);

  port.replies = {Hex("00 04 00 00")};
  EXPECT_EQ(link.ReadForeignIdent(), 0);  // byte 1 must exceed 4
  port.replies = {Hex("00 90 00 00 00 00 00 00 41")};
  EXPECT_EQ(link.ReadForeignIdent(), 0);  // 0x90 is negative as a signed byte
}

TEST_F(Telegram, ProbeAcceptsOnlyAPositiveAcknowledgement) {
  port.replies = {ShortAck(0)};
  EXPECT_EQ(link.ProbeAddress(), 1);
  port.replies = {ShortAck(9)};
  EXPECT_EQ(link.ProbeAddress(), 0);
  EXPECT_EQ(link.AckErrorCode(), 9);
  port.replies = {Hex("10 03 05 00")};
  EXPECT_EQ(link.ProbeAddress(), 0);
  EXPECT_EQ(Sends(), 3);  // a probe is never repeated
}

TEST_F(Telegram, NoLineFailsEveryExchangeQuietly) {
  link.SetPort(nullptr);
  EXPECT_EQ(link.ReadTable(11), 0);
  EXPECT_EQ(link.WriteTable(0), 0);
  EXPECT_EQ(link.ProbeAddress(), 0);
  EXPECT_EQ(link.ReadForeignIdent(), 0);
  EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace rq30
