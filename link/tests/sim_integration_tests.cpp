// The real SerialPort and Link against the simulated controller on a pty.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "read_timing.h"
#include "sim_line.h"
#include "table_layout.h"

namespace rq30 {
namespace {

using testing::SimLine;
using testing::SimLineOptions;

// Gives every field of a table a distinct value that fits its wire type.
void FillTable(int table, TableImage& image, int seed) {
  const TableLayout& layout = LayoutOf(table);
  auto* base = reinterpret_cast<unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    const int v = seed + static_cast<int>(i);
    switch (f.type) {
      case WireType::Float32: {
        const float x = 1.25f * static_cast<float>(v);
        std::memcpy(base + f.offset, &x, sizeof x);
        break;
      }
      case WireType::Int16: {
        const int32_t x = 100 + v;
        std::memcpy(base + f.offset, &x, sizeof x);
        break;
      }
      case WireType::Byte:
        base[f.offset] = static_cast<uint8_t>(1 + (v % 3));  // a valid choice in every list
        break;
      case WireType::Reserved:
        break;
    }
  }
}

std::vector<uint8_t> Encoded(int table, const TableImage& image) {
  uint8_t out[kBufferSize];
  const int n = EncodeTable(table, image, out, sizeof out);
  return std::vector<uint8_t>(out, out + (n > 0 ? n : 0));
}

TEST(SimLink, ReadsLiveValuesEndToEnd) {
  SimLine line;
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().live.measured = 21.5f;
    m.Image().live.relays = 0x05;
    m.Image().live.output = 523;
    return 0;
  });
  ASSERT_EQ(line.link.ReadTable(11), 1);
  EXPECT_EQ(line.image.live.measured, 21.5f);
  EXPECT_EQ(line.image.live.relays, 0x05);
  EXPECT_EQ(line.image.live.output, 523);
}

// At controller address 17 and computer address 3: the controller's
// replies carry both, so a checksum or check that skips an address byte
// fails here.
TEST(SimLink, EveryWritableTableReadsBackAsWritten) {
  SimLine line({sim::Firmware::V3, {17}});
  line.link.SetDeviceAddress(17);
  line.link.SetComputerAddress(3);
  for (int table = 0; table < kTableCount; ++table) {
    if (!LayoutOf(table).encodable || table == 10) continue;
    SCOPED_TRACE(table);
    FillTable(table, line.image, table * 7);
    const auto sent = Encoded(table, line.image);
    ASSERT_EQ(line.link.WriteTable(table), 1);
    ClearImage(line.image);
    ASSERT_EQ(line.link.ReadTable(table), 1);
    EXPECT_EQ(Encoded(table, line.image), sent);
  }
  // The address table keeps the controller where it is; only the rate moves.
  line.image.address = {17, 60};
  ASSERT_EQ(line.link.WriteTable(10), 1);
  line.image.address.rate = 0;
  ASSERT_EQ(line.link.ReadTable(10), 1);
  EXPECT_EQ(line.image.address.rate, 60);
}

TEST(SimLink, ProgramBlocksReadBackAsWritten) {
  SimLine line;
  for (int i = 0; i < kPrograms; ++i) line.image.setpointList[i] = 10.0f * i + 0.5f;
  for (int s = 0; s < kSegments; ++s) {
    line.image.programSetpoints[9][s] = 100.0f + s;
    line.image.programTimes[9][s] = 60 * s + 1;
  }
  ASSERT_EQ(line.link.WriteProgramBlock(0, 0, 0), 1);
  ASSERT_EQ(line.link.WriteProgramBlock(1, 9, 17), 1);
  ASSERT_EQ(line.link.WriteProgramBlock(2, 9, 18), 1);
  const TableImage sent = line.image;
  ClearImage(line.image);
  ASSERT_EQ(line.link.ReadProgramBlock(0, 0, 0), 1);
  ASSERT_EQ(line.link.ReadProgramBlock(1, 9, 17), 1);
  ASSERT_EQ(line.link.ReadProgramBlock(2, 9, 18), 1);
  EXPECT_EQ(std::memcmp(line.image.setpointList, sent.setpointList, sizeof sent.setpointList), 0);
  EXPECT_EQ(std::memcmp(line.image.programSetpoints[9], sent.programSetpoints[9],
                        sizeof sent.programSetpoints[9]),
            0);
  EXPECT_EQ(std::memcmp(line.image.programTimes[9], sent.programTimes[9],
                        sizeof sent.programTimes[9]),
            0);
}

TEST(SimLink, RecordMemoryComesInSixteenBlocks) {
  SimLine line;
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().recordMemory.ringIndex = 250;
    for (int i = 0; i < kRecordValues; ++i) m.Image().recordValues[i] = 0.5f * i;
    return 0;
  });
  ASSERT_EQ(line.link.ReadTable(12), 1);
  EXPECT_EQ(line.image.recordMemory.ringIndex, 250);
  for (int block = 0; block < 16; ++block) ASSERT_EQ(line.link.ReadRecordBlock(block), 1);
  for (int i = 0; i < kRecordValues; ++i) ASSERT_EQ(line.image.recordValues[i], 0.5f * i) << i;
  EXPECT_EQ(line.pauses.size(), 32u);
  EXPECT_EQ(line.pauses.front(), kPauseBeforeRecordBlock);
  EXPECT_EQ(line.pauses.back(), kPauseAfterRecordBlock);
}

TEST(SimLink, IdentificationProbeAndEeprom) {
  SimLine line({sim::Firmware::V2, {0, 17}});
  ASSERT_EQ(line.link.ReadDeviceType(), 1);
  ASSERT_EQ(line.link.ReadFirmwareVersion(), 1);
  EXPECT_EQ(std::string(line.image.firmwareVersion), "FW-K-47-02");
  EXPECT_NE(std::string(line.image.deviceType), "");

  EXPECT_EQ(line.link.ProbeAddress(), 1);
  line.link.SetDeviceAddress(17);
  EXPECT_EQ(line.link.ProbeAddress(), 1);
  line.link.SetDeviceAddress(5);
  EXPECT_EQ(line.link.ProbeAddress(), 0);  // nobody at 5

  line.link.SetDeviceAddress(0);
  EXPECT_EQ(line.link.StoreToEeprom(), 1);
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 1);
}

TEST(SimLink, RefusedWriteKeepsTheCode) {
  SimLine line;
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().nakCode = 5; });
  EXPECT_EQ(line.link.WriteTable(0), 0);
  EXPECT_EQ(line.link.AckErrorCode(), 5);
}

// The time-out model as a user's line would see it through the simulator:
// silence, a reply broken by 150 ms gaps, and one with 60 ms gaps.
TEST(SimLink, ReadTimeOutsMeasured) {
  SimLine line({sim::Firmware::Silent});
  uint8_t buffer[255];
  test::ExpectTotalTimeOut(test::ReadTimed(line.port, buffer, 26), 26);  // 500 + 2 × 26

  // The 11-byte reply to a read of table 16, the shortest there is (every
  // gap the simulator sleeps can come late on a busy machine), one byte at a
  // time, read as if its length were open.
  const uint8_t request[] = {0x68, 0x08, 0x08, 0x68, 0x00, 0x00, 0x6C,
                             0x01, 0x10, 0x02, 0x00, 0x00, 0x7F, 0x16};
  const struct {
    int gapMs;
    int got;
    double lastByteMs;
  } cases[] = {
      {60, 11, 10 * 60},  // no gap ends it: all 11 bytes, then the interval
      {150, 1, 0},        // the read ends at the first gap (last: the rest is never read)
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gapMs);
    line.WithModel([&](sim::ControllerModel& m) {
      m.SetFirmware(sim::Firmware::V3);
      m.Injected().gapMs = c.gapMs;
      return 0;
    });
    // The simulator sleeps between the bytes; on a busy machine one sleep can
    // run past the interval and end a 60 ms reply early. Such a try is made
    // again; a read that never ends as the model says fails.
    test::TimedRead r;
    for (int attempt = 0; attempt < 3; ++attempt) {
      int written = 0;
      ASSERT_TRUE(line.port.WritePort(request, sizeof request, written));
      r = test::ReadTimed(line.port, buffer, 255);
      if (test::EndedAtGap(r, 255, c.got, c.lastByteMs)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(11 * c.gapMs));  // the rest arrives
    }
    test::ExpectEndAtGap(r, 255, c.got, c.lastByteMs);
  }
}

}  // namespace
}  // namespace rq30
