// The simulated controller answering hand-built request telegrams.
#include <gtest/gtest.h>

#include <cstring>

#include "controller_model.h"
#include "hex.h"
#include "table_layout.h"

namespace rq30::sim {
namespace {

using test::Data;
using test::Hex;
using test::ReadRequest;
using test::ValidDataReply;
using test::WriteRequest;

class ModelTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> Send(const std::vector<uint8_t>& request) {
    return model.Handle(request.data(), request.size());
  }
  // Reads a block and checks the reply's frame; returns its data.
  std::vector<uint8_t> ReadBlock(int table, int length, int offset = 0) {
    const auto reply = Send(ReadRequest(table, length, offset));
    EXPECT_TRUE(ValidDataReply(reply)) << "table " << table << " offset " << offset;
    EXPECT_EQ(Data(reply).size(), static_cast<std::size_t>(length));
    return Data(reply);
  }
  static float FloatAt(const std::vector<uint8_t>& data, std::size_t offset) {
    return GetFloat(data.data() + offset);
  }

  ControllerModel model{Firmware::V3, {5}};
};

TEST_F(ModelTest, LiveValuesReplyIs26BytesAddressedBackToTheComputer) {
  model.Step(30);
  const auto reply = Send(Hex("68 08 08 68 05 00 6C 01 0B 11 00 00 CS 16"));
  ASSERT_EQ(reply.size(), 26u);
  EXPECT_TRUE(ValidDataReply(reply));
  EXPECT_EQ(reply[1], 0x14);
  EXPECT_EQ(reply[4], 0x00);  // to the computer
  EXPECT_EQ(reply[5], 0x05);  // from the controller

  TableImage got{};
  ASSERT_TRUE(DecodeTable(11, reply.data() + 7, 17, got));
  const LiveTable& live = model.Image().live;
  EXPECT_FLOAT_EQ(got.live.measured, live.measured);
  EXPECT_GT(got.live.measured, 20.0f);  // warming up
  EXPECT_FLOAT_EQ(got.live.setpoint, model.Image().sp);
  EXPECT_EQ(got.live.output, live.output);
  EXPECT_EQ(got.live.relays, live.relays);
  EXPECT_NEAR(got.live.terminal, 23.0f, 1.0f);
  EXPECT_EQ(got.live.fault, 0);
}

// Writes a byte pattern into every table the program writes, reads it back
// and checks it arrived in the controller's state, not just in a buffer.
TEST_F(ModelTest, WrittenTablesReadBackUnchanged) {
  struct Case {
    int table;
    int length;
  };
  const Case cases[] = {{0, 4},  {1, 14}, {2, 14}, {3, 15}, {4, 13}, {5, 13}, {6, 20},
                        {7, 10}, {8, 4},  {9, 14}, {14, 4}, {14, 7}, {15, 7}, {16, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE("table " + std::to_string(c.table) + " length " + std::to_string(c.length));
    std::vector<uint8_t> data(c.length);
    // Below 0x7F every float stays a plain number.
    for (int i = 0; i < c.length; ++i)
      data[i] = static_cast<uint8_t>((c.table * 13 + i * 29) % 0x7E + 1);
    if (c.table == 9) data.back() = 0;  // the reserved byte comes back as 0

    EXPECT_EQ(Send(WriteRequest(c.table, 0, data)), Hex("10 00 05 00 CS 16"));
    EXPECT_EQ(ReadBlock(c.table, c.length), data);

    uint8_t encoded[32];
    const int table = c.table == 14 && c.length == 7 ? 19 : c.table;
    ASSERT_EQ(EncodeTable(table, model.Image(), encoded, sizeof encoded), c.length);
    EXPECT_EQ(std::vector<uint8_t>(encoded, encoded + c.length), data);
  }
}

TEST_F(ModelTest, ReservedByteOfTable9IsNotKept) {
  std::vector<uint8_t> data(14, 0x11);
  ASSERT_EQ(Send(WriteRequest(9, 0, data)), Hex("10 00 05 00 CS 16"));
  EXPECT_EQ(ReadBlock(9, 14).back(), 0x00);
}

TEST_F(ModelTest, NewSetpointReachesTheLiveValues) {
  ASSERT_EQ(Send(Hex("68 0C 0C 68 05 00 63 02 00 04 00 00 42 28 00 00 CS 16")),
            Hex("10 00 05 00 CS 16"));
  EXPECT_FLOAT_EQ(model.Image().sp, 42.0f);
  model.Step(1);
  EXPECT_FLOAT_EQ(FloatAt(ReadBlock(11, 17), 5), 42.0f);
}

TEST_F(ModelTest, Table19TravelsAsTable14WithLength7) {
  TableImage& image = model.Image();
  image.programStart = {1, 0, 2, 3};
  image.programStartTime = {17, 6, 45};
  EXPECT_EQ(ReadBlock(14, 7), (std::vector<uint8_t>{1, 0, 2, 3, 17, 6, 45}));
  EXPECT_EQ(ReadBlock(14, 4), (std::vector<uint8_t>{1, 0, 2, 3}));
  // The program's own number 19 never goes on the wire.
  EXPECT_TRUE(Send(ReadRequest(19, 7)).empty());

  // A firmware without start times has only the four bytes.
  model.SetFirmware(Firmware::V2);
  EXPECT_TRUE(Send(ReadRequest(14, 7)).empty());
  EXPECT_EQ(ReadBlock(14, 4), (std::vector<uint8_t>{1, 0, 2, 3}));
}

TEST_F(ModelTest, SetpointListSharesItsFirstValueWithSp) {
  const std::vector<uint8_t> list = ReadBlock(0, 40);
  EXPECT_FLOAT_EQ(FloatAt(list, 0), model.Image().sp);
  for (int i = 1; i < kPrograms; ++i)
    EXPECT_FLOAT_EQ(FloatAt(list, 4 * i), model.Image().setpointList[i]);

  std::vector<uint8_t> values(40);
  for (int i = 0; i < kPrograms; ++i) PutFloat(values.data() + 4 * i, 100.0f + i);
  ASSERT_EQ(Send(WriteRequest(0, 0, values)), Hex("10 00 05 00 CS 16"));
  EXPECT_FLOAT_EQ(model.Image().sp, 100.0f);
  EXPECT_FLOAT_EQ(model.Image().setpointList[9], 109.0f);
  EXPECT_EQ(ReadBlock(0, 4), std::vector<uint8_t>(values.begin(), values.begin() + 4));
}

TEST_F(ModelTest, ProgramBlocksSitAtTheirOffsets) {
  TableImage& image = model.Image();
  // Program 9 setpoints: table 17, 80 bytes at 720 (02 D0).
  const auto setpoints = Data(Send(Hex("68 08 08 68 05 00 6C 01 11 50 02 D0 CS 16")));
  ASSERT_EQ(setpoints.size(), 80u);
  for (int s = 0; s < kSegments; ++s)
    EXPECT_FLOAT_EQ(FloatAt(setpoints, 4 * s), image.programSetpoints[9][s]);
  // Program 9 times: table 18, 40 bytes at 360 (01 68).
  const auto times = Data(Send(Hex("68 08 08 68 05 00 6C 01 12 28 01 68 CS 16")));
  ASSERT_EQ(times.size(), 40u);
  for (int s = 0; s < kSegments; ++s)
    EXPECT_EQ(GetUInt16(times.data() + 2 * s), image.programTimes[9][s]);

  // Writing program 3 changes program 3 only.
  const float before2 = image.programSetpoints[2][19];
  const float before4 = image.programSetpoints[4][0];
  std::vector<uint8_t> block(80);
  for (int s = 0; s < kSegments; ++s) PutFloat(block.data() + 4 * s, 500.0f + s);
  ASSERT_EQ(Send(WriteRequest(17, 80 * 3, block)), Hex("10 00 05 00 CS 16"));
  EXPECT_FLOAT_EQ(image.programSetpoints[3][0], 500.0f);
  EXPECT_FLOAT_EQ(image.programSetpoints[3][19], 519.0f);
  EXPECT_FLOAT_EQ(image.programSetpoints[2][19], before2);
  EXPECT_FLOAT_EQ(image.programSetpoints[4][0], before4);

  std::vector<uint8_t> times5(40);
  for (int s = 0; s < kSegments; ++s) PutInt16(times5.data() + 2 * s, 60000 + s);
  ASSERT_EQ(Send(WriteRequest(18, 40 * 5, times5)), Hex("10 00 05 00 CS 16"));
  EXPECT_EQ(image.programTimes[5][0], 60000);
  EXPECT_EQ(ReadBlock(18, 40, 200), times5);
}

TEST_F(ModelTest, RecordBlocksSkipTheRingIndex) {
  TableImage& image = model.Image();
  for (int i = 0; i < kRecordValues; ++i) image.recordValues[i] = 0.5f * i;
  image.recordMemory.ringIndex = 0xB7;

  EXPECT_EQ(ReadBlock(12, 100).front(), 0xB7);
  for (int k : {0, 7, 15}) {
    SCOPED_TRACE(k);
    const auto block = ReadBlock(12, 64, 64 * k + 1);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(FloatAt(block, 4 * i), 0.5f * (16 * k + i));
  }
  // Block 15 ends exactly at the end of the memory.
  EXPECT_TRUE(Send(ReadRequest(12, 64, 64 * 15 + 2)).empty());
}

TEST_F(ModelTest, IdentificationTextsFollowTheFirmware) {
  const struct {
    Firmware firmware;
    const char* text;
  } cases[] = {{Firmware::V1, "FW-K-47-01"},
               {Firmware::V2, "FW-K-47-02"},
               {Firmware::V3, "FW-K-47-03"},
               {Firmware::Unknown, "FW-K-47-04"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    model.SetFirmware(c.firmware);
    // The program copies LE - 3 bytes from offset 7 as the text.
    const auto version = Send(Hex("68 04 04 68 05 00 6C 04 CS 16"));
    ASSERT_TRUE(ValidDataReply(version));
    const auto text = Data(version);
    EXPECT_EQ(std::string(text.begin(), text.end()), c.text);
    const auto type = Data(Send(Hex("68 04 04 68 05 00 6C 00 CS 16")));
    EXPECT_EQ(std::string(type.begin(), type.end()), "VTQ45");
  }
}

TEST_F(ModelTest, TablesFollowTheFirmware) {
  model.SetFirmware(Firmware::V1);
  EXPECT_EQ(ReadBlock(0, 4).size(), 4u);
  EXPECT_TRUE(Send(ReadRequest(0, 40)).empty());  // no setpoint list
  EXPECT_TRUE(Send(ReadRequest(16, 2)).empty());
  EXPECT_EQ(Send(WriteRequest(15, 0, std::vector<uint8_t>(7, 1))), Hex("10 00 05 01 CS 16"));
  model.SetFirmware(Firmware::V2);
  EXPECT_TRUE(Send(ReadRequest(15, 7)).empty());  // no clock
  EXPECT_EQ(ReadBlock(16, 2).size(), 2u);
}

TEST_F(ModelTest, SilentFirmwareAnswersNothingButHearsEverything) {
  model.SetFirmware(Firmware::Silent);
  EXPECT_TRUE(Send(ReadRequest(11, 17)).empty());
  EXPECT_TRUE(Send(Hex("68 04 04 68 05 00 6C 00 CS 16")).empty());
  EXPECT_TRUE(Send(Hex("10 05 00 69 CS 16")).empty());
  EXPECT_EQ(model.Requests().size(), 3u);
}

// Parsed the way the program reads a foreign identification: up to 254
// bytes, byte 1 signed above 4, byte 1 - 4 bytes from offset 8, three texts
// of 32 bytes; a message shows texts 1 and 2 up to its first zero byte.
TEST_F(ModelTest, ForeignDeviceGivesThreeTextsAndNothingElse) {
  model.SetFirmware(Firmware::Foreign);
  const auto reply = Send(Hex("68 04 04 68 05 00 6C 00 CS 16"));
  ASSERT_LE(reply.size(), 254u);
  ASSERT_GT(static_cast<int8_t>(reply[1]), 4);
  EXPECT_FALSE(ValidDataReply(reply)) << "a VTQ45 device type read must not accept it";
  EXPECT_EQ(reply.size(), reply[1] + 6u);

  uint8_t texts[255] = {};
  const int n = static_cast<int8_t>(reply[1]) - 4;
  ASSERT_GE(n, 96);
  std::memcpy(texts, reply.data() + 8, n);
  for (int i = 0; i < 3; ++i) {
    const std::string field(reinterpret_cast<const char*>(texts) + 32 * i, 32);
    EXPECT_EQ(field.rfind(kForeignTexts[i], 0), 0u) << i;
    if (i < 2) {
      EXPECT_EQ(field.find('\0'), std::string::npos) << "text " << i << " would cut the message";
    }
  }

  EXPECT_TRUE(Send(Hex("68 04 04 68 05 00 6C 04 CS 16")).empty());
  EXPECT_TRUE(Send(ReadRequest(11, 17)).empty());
  EXPECT_TRUE(Send(Hex("10 05 00 69 CS 16")).empty());
}

TEST_F(ModelTest, MalformedOrForeignTelegramsGetNoAnswer) {
  const struct {
    const char* why;
    std::vector<uint8_t> telegram;
  } cases[] = {
      {"other address", Hex("68 08 08 68 06 00 6C 01 0B 11 00 00 CS 16")},
      {"checksum off by one", Hex("68 08 08 68 05 00 6C 01 0B 11 00 00 8F 16")},
      {"end byte", Hex("68 08 08 68 05 00 6C 01 0B 11 00 00 CS 17")},
      {"length bytes differ", Hex("68 08 09 68 05 00 6C 01 0B 11 00 00 CS 16")},
      {"second start byte", Hex("68 08 08 69 05 00 6C 01 0B 11 00 00 CS 16")},
      {"cut short", Hex("68 08 08 68 05 00 6C 01 0B 11 00 CS 16")},
      {"write length disagrees with LE",
       Hex("68 0C 0C 68 05 00 63 02 00 05 00 00 42 28 00 00 CS 16")},
      {"unknown function code", Hex("68 08 08 68 05 00 6D 01 0B 11 00 00 CS 16")},
      {"unknown command", Hex("68 04 04 68 05 00 6C 03 CS 16")},
      {"read past the table", ReadRequest(11, 18)},
      {"reply would not fit LE", ReadRequest(12, 253)},
      {"table out of range", ReadRequest(20, 1)},
      {"broadcast read", ReadRequest(11, 17, 0, 127)},
      {"probe, other address", Hex("10 06 00 69 CS 16")},
      {"probe, bad checksum", Hex("10 05 00 69 6D 16")},
      {"short telegram, other function", Hex("10 05 00 49 CS 16")},
      {"noise", Hex("FF 00 16")},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Send(c.telegram).empty()) << c.why;
  }
}

TEST_F(ModelTest, ProbeIsAcknowledged) {
  EXPECT_EQ(Send(Hex("10 05 00 69 6E 16")), Hex("10 00 05 00 05 16"));
}

TEST_F(ModelTest, ServesSeveralAddresses) {
  ControllerModel two(Firmware::V3, {1, 17});
  for (uint8_t a = 0; a < 127; ++a) {
    const std::vector<uint8_t> probe = {0x10, a, 0x00, 0x69, static_cast<uint8_t>(a + 0x69), 0x16};
    EXPECT_EQ(two.Handle(probe.data(), probe.size()).empty(), a != 1 && a != 17) << int(a);
  }
}

TEST_F(ModelTest, NewAddressTakesEffectAtOnce) {
  std::vector<uint8_t> data = {9, 0x00, 0x05};  // address 9, rate 5 s
  ASSERT_EQ(Send(WriteRequest(10, 0, data)), Hex("10 00 05 00 CS 16"));
  EXPECT_TRUE(Send(ReadRequest(10, 3)).empty());
  const auto reply = Send(ReadRequest(10, 3, 0, 9));
  EXPECT_EQ(Data(reply), data);
  EXPECT_EQ(model.Image().address.rate, 5);

  // 127 is the broadcast address and no controller's own.
  EXPECT_EQ(Send(WriteRequest(10, 0, {127, 0, 1}, 9)), Hex("10 00 09 01 CS 16"));
  EXPECT_TRUE(model.Serves(9));
}

TEST_F(ModelTest, BroadcastWriteIsCarriedOutSilently) {
  std::vector<uint8_t> sp(4);
  PutFloat(sp.data(), 33.0f);
  EXPECT_TRUE(Send(WriteRequest(0, 0, sp, 127)).empty());
  EXPECT_FLOAT_EQ(model.Image().sp, 33.0f);
}

TEST_F(ModelTest, ReadOnlyTablesRefuseWrites) {
  for (int table : {11, 12, 13}) {
    EXPECT_EQ(Send(WriteRequest(table, 0, {1, 2, 3, 4})), Hex("10 00 05 01 CS 16")) << table;
  }
  EXPECT_EQ(Send(WriteRequest(16, 1, {1, 2})), Hex("10 00 05 01 CS 16")) << "past the end";
}

TEST_F(ModelTest, EepromStoresAreCounted) {
  EXPECT_EQ(Send(Hex("68 04 04 68 05 00 63 06 CS 16")), Hex("10 00 05 00 CS 16"));
  EXPECT_EQ(Send(Hex("68 04 04 68 05 00 63 06 CS 16")), Hex("10 00 05 00 CS 16"));
  EXPECT_EQ(model.EepromStores(), 2);
}

TEST_F(ModelTest, RequestsAreRecorded) {
  Send(Hex("68 08 08 68 05 00 6C 01 11 50 02 D0 CS 16"));
  Send(WriteRequest(4, 0, std::vector<uint8_t>(13, 1)));
  Send(Hex("10 05 00 69 CS 16"));
  Send(Hex("68 08 08 68 06 00 6C 01 0B 11 00 00 CS 16"));  // not ours
  ASSERT_EQ(model.Requests().size(), 3u);
  const Request& read = model.Requests()[0];
  EXPECT_EQ(read.function, 0x6C);
  EXPECT_EQ(read.command, 1);
  EXPECT_EQ(read.table, 17);
  EXPECT_EQ(read.length, 80);
  EXPECT_EQ(read.offset, 720);
  EXPECT_EQ(model.Requests()[1].function, 0x63);
  EXPECT_EQ(model.Requests()[1].table, 4);
  EXPECT_EQ(model.Requests()[2].function, 0x69);
  EXPECT_EQ(model.Requests()[2].command, -1);
}

TEST_F(ModelTest, DroppedRepliesAreCountedDown) {
  model.Injected().dropReplies = 2;
  EXPECT_TRUE(Send(Hex("10 05 00 69 CS 16")).empty());
  EXPECT_TRUE(Send(ReadRequest(11, 17)).empty());
  EXPECT_TRUE(
      Send(Hex("68 08 08 68 06 00 6C 01 0B 11 00 00 CS 16")).empty());  // not ours: no count
  EXPECT_EQ(model.Injected().dropReplies, 0);
  EXPECT_FALSE(Send(ReadRequest(11, 17)).empty());
}

TEST_F(ModelTest, CorruptRepliesCarryAChecksumOffByOne) {
  model.Injected().corruptReplies = 2;
  const auto bad = Send(ReadRequest(11, 17));
  model.Injected().corruptReplies = 1;
  const auto badAck = Send(Hex("10 05 00 69 CS 16"));
  const auto good = Send(ReadRequest(11, 17));

  ASSERT_EQ(bad.size(), 26u);
  EXPECT_FALSE(ValidDataReply(bad));
  EXPECT_TRUE(ValidDataReply(good));
  EXPECT_EQ(bad[24], static_cast<uint8_t>(good[24] + 1));
  EXPECT_EQ(badAck, Hex("10 00 05 00 06 16"));
}

TEST_F(ModelTest, RefusedWritesChangeNothing) {
  model.Injected().nakCode = 5;
  const float sp = model.Image().sp;
  EXPECT_EQ(Send(Hex("68 0C 0C 68 05 00 63 02 00 04 00 00 42 28 00 00 CS 16")),
            Hex("10 00 05 05 CS 16"));
  EXPECT_EQ(Send(Hex("68 04 04 68 05 00 63 06 CS 16")), Hex("10 00 05 05 CS 16"));
  EXPECT_FLOAT_EQ(model.Image().sp, sp);
  EXPECT_EQ(model.EepromStores(), 0);
  EXPECT_TRUE(ValidDataReply(Send(ReadRequest(11, 17)))) << "reads still work";
}

}  // namespace
}  // namespace rq30::sim
