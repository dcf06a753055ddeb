// Every table layout pinned against bytes written by hand from the
// controller's table descriptions, both ways. The simulator decodes and
// encodes with the program's own field lists, so a round trip through it
// agrees with any layout; these vectors do not.
//
// Every field carries a value of its own (no two fields alike, no field 0),
// so that two fields swapped, a field left out or a field of the wrong width
// changes the bytes. The codecs carry any byte, so choice fields hold values
// picked to tell the fields apart, not always a valid choice.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_port.h"
#include "link.h"
#include "table_layout.h"

namespace rq30 {
namespace {

using test::Bytes;
using test::Hex;
using test::ToHex;

// What the image holds outside the table under test: a decoder must leave it
// alone, and an encoder that reads it sends 0xEE where a field belongs.
constexpr uint8_t kBackground = 0xEE;

TableImage Background() {
  TableImage image;
  std::memset(&image, kBackground, sizeof image);
  return image;
}

struct Vector {
  int table;
  const char* wire;     // the table's data as it travels
  const char* encoded;  // what the encoder sends, when it differs from wire; "" no encoder
  void (*fill)(TableImage&);
};

// Fields are set one by one: a whole-struct assignment would also copy the
// padding between them, which neither side of the comparison may depend on.
const Vector kVectors[] = {
    {0, "41 AC 00 00", nullptr, [](TableImage& i) { i.sp = 21.5f; }},
    {1, "C1 48 00 00  43 AC A0 00  40 20 00 00  03  01", nullptr,
     [](TableImage& i) {
       i.alarm1.splo = -12.5f;
       i.alarm1.sphi = 345.25f;
       i.alarm1.hyst = 2.5f;
       i.alarm1.rala = 3;
       i.alarm1.rele = 1;
     }},
    {2, "C2 20 00 00  44 96 00 00  3F 40 00 00  02  01", nullptr,
     [](TableImage& i) {
       i.alarm2.splo = -40.0f;
       i.alarm2.sphi = 1200.0f;
       i.alarm2.hyst = 0.75f;
       i.alarm2.rala = 2;
       i.alarm2.rele = 1;
     }},
    {3, "09  02  C2 48 00 00  44 16 00 00  3F C0 00 00  04", nullptr,
     [](TableImage& i) {
       i.sensor.type = 9;
       i.sensor.dp = 2;
       i.sensor.strs = -50.0f;
       i.sensor.ends = 600.0f;
       i.sensor.offs = 1.5f;
       i.sensor.comp = 4;
     }},
    {4, "41 48 00 00  43 70 00 00  42 72 00 00  01", nullptr,
     [](TableImage& i) {
       i.pid.pb = 12.5f;
       i.pid.intg = 240.0f;
       i.pid.der = 60.5f;
       i.pid.tune = 1;
     }},
    {5, "03  01 2C  04 01  00 10  00 07  FD E8  00 02", nullptr,
     [](TableImage& i) {
       i.control.type = 3;
       i.control.dser = 300;
       i.control.dead = 1025;
       i.control.f2 = 16;
       i.control.tpid = 7;
       i.control.ps = 65000;
       i.control.per = 2;
     }},
    {6, "C0 00 00 00  40 40 00 00  3F 00 00 00  3F A0 00 00  00 0A  01  02", nullptr,
     [](TableImage& i) {
       i.onoff.phea = -2.0f;
       i.onoff.pcoo = 3.0f;
       i.onoff.hhea = 0.5f;
       i.onoff.hcoo = 1.25f;
       i.onoff.at = 10;
       i.onoff.re1 = 1;
       i.onoff.re2 = 2;
     }},
    {7, "01  03  C1 20 00 00  43 7A 00 00", nullptr,
     [](TableImage& i) {
       i.analog.ain = 1;
       i.analog.aout = 3;
       i.analog.astr = -10.0f;
       i.analog.aend = 250.0f;
     }},
    {8, "03  02  01  04", nullptr,
     [](TableImage& i) {
       i.errorReaction.re12 = 3;
       i.errorReaction.re3 = 2;
       i.errorReaction.re4 = 1;
       i.errorReaction.yout = 4;
     }},
    // The last byte is reserved: whatever comes is ignored, 0 is sent.
    {9, "C0 B0 00 00  42 BE 80 00  00 20  12 34  01  5A",
     "C0 B0 00 00  42 BE 80 00  00 20  12 34  01  00",
     [](TableImage& i) {
       i.misc.oplo = -5.5f;
       i.misc.ophi = 95.25f;
       i.misc.filt = 32;
       i.misc.pass = 4660;
       i.misc.lock = 1;
     }},
    {10, "11  0E 10", nullptr,
     [](TableImage& i) {
       i.address.address = 17;
       i.address.rate = 3600;
     }},
    {11, "41 AC 00 00  05  41 A0 00 00  02 0B  41 BA 00 00  80  01", "",
     [](TableImage& i) {
       i.live.measured = 21.5f;
       i.live.relays = 0x05;
       i.live.setpoint = 20.0f;
       i.live.output = 523;
       i.live.terminal = 23.25f;
       i.live.status = 0x80;
       i.live.fault = 0x01;
     }},
    {14, "01  02  03  04", nullptr,
     [](TableImage& i) {
       i.programStart.go = 1;
       i.programStart.hold = 2;
       i.programStart.pend = 3;
       i.programStart.pcut = 4;
     }},
    {15, "2D  1E  0D  04  19  0C  1A", nullptr,
     [](TableImage& i) {
       i.clock.sec = 45;
       i.clock.min = 30;
       i.clock.hour = 13;
       i.clock.wday = 4;
       i.clock.mday = 25;
       i.clock.mont = 12;
       i.clock.year = 26;
     }},
    {16, "02  09", nullptr,
     [](TableImage& i) {
       i.programSelection.type = 2;
       i.programSelection.number = 9;
     }},
    // The four start fields of table 14, then the start day, hour and minute.
    {19, "04  03  02  01  1C  17  3B", nullptr,
     [](TableImage& i) {
       i.programStart.go = 4;
       i.programStart.hold = 3;
       i.programStart.pend = 2;
       i.programStart.pcut = 1;
       i.programStartTime.date = 28;
       i.programStartTime.hour = 23;
       i.programStartTime.min = 59;
     }},
};

TEST(LayoutVectors, EveryTableWithACodecIsPinned) {
  for (int table = 0; table < kTableCount; ++table) {
    if (table == 12 || (!LayoutOf(table).decodable && !LayoutOf(table).encodable)) continue;
    bool found = false;
    for (const Vector& v : kVectors) found = found || v.table == table;
    EXPECT_TRUE(found) << "table " << table << " has a codec but no vector";
  }
}

TEST(LayoutVectors, DecodeSetsEachFieldAndNothingElse) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.table);
    const Bytes wire = Hex(v.wire);
    ASSERT_EQ(wire.size(), kTableLength[v.table]);
    TableImage expected = Background();
    v.fill(expected);
    TableImage image = Background();
    ASSERT_TRUE(DecodeTable(v.table, wire.data(), wire.size(), image));
    EXPECT_EQ(std::memcmp(&image, &expected, sizeof image), 0);
  }
}

TEST(LayoutVectors, EncodeSendsEachFieldInWireOrder) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.table);
    TableImage image = Background();
    v.fill(image);
    uint8_t out[kBufferSize];
    std::memset(out, 0xAA, sizeof out);
    const int n = EncodeTable(v.table, image, out, sizeof out);
    if (v.encoded && !*v.encoded) {
      EXPECT_EQ(n, -1);
      continue;
    }
    ASSERT_EQ(n, kTableLength[v.table]);
    EXPECT_EQ(ToHex(Bytes(out, out + n)), ToHex(Hex(v.encoded ? v.encoded : v.wire)));
  }
}

// Of the record memory table only the ring index is decoded.
TEST(LayoutVectors, RecordMemoryTableDecodesItsIndexOnly) {
  Bytes wire = Hex("FA");
  for (int i = 1; i < 100; ++i) wire.push_back(static_cast<uint8_t>(i));
  TableImage expected = Background();
  expected.recordMemory.ringIndex = 0xFA;
  TableImage image = Background();
  ASSERT_TRUE(DecodeTable(12, wire.data(), wire.size(), image));
  EXPECT_EQ(std::memcmp(&image, &expected, sizeof image), 0);
  uint8_t out[kBufferSize];
  EXPECT_EQ(EncodeTable(12, image, out, sizeof out), -1);
}

// Whole telegrams of table 19, which travels as table 14 with its own length
// 7, and of a table with every wire type, at device 5 and computer 3.
TEST(LayoutVectors, TelegramsCarryTheLayouts) {
  test::FakePort port;
  TableImage image{};
  Link link(image, &port);
  link.SetPause([](int) {});
  link.SetDeviceAddress(test::kDeviceAddress);
  link.SetComputerAddress(test::kComputerAddress);

  image.programStart = {4, 3, 2, 1};
  image.programStartTime = {28, 23, 59};
  port.replies = {test::ShortAck()};
  ASSERT_EQ(link.WriteTable(19), 1);
  EXPECT_EQ(ToHex(port.writes.at(0)),
            "68 0F 0F 68 05 03 63 02 0E 07 00 00 04 03 02 01 1C 17 3B FA 16");

  image.misc = {-5.5f, 95.25f, 32, 4660, 1};
  port.replies = {test::ShortAck()};
  ASSERT_EQ(link.WriteTable(9), 1);
  EXPECT_EQ(ToHex(port.writes.at(1)),
            "68 16 16 68 05 03 63 02 09 0E 00 00 C0 B0 00 00 42 BE 80 00 00 20 12 34 01 00 "
            "DB 16");

  // A reply of table 19 (sent as 14) fills the start fields and the start time.
  ClearImage(image);
  port.replies = {Hex("68 0A 0A 68 03 05 08 01 00 02 04 0F 08 1E 4C 16")};
  ASSERT_EQ(link.ReadTable(19), 1);
  EXPECT_EQ(ToHex(port.writes.at(2)), "68 08 08 68 05 03 6C 01 0E 07 00 00 8A 16");
  EXPECT_EQ(image.programStart.go, 1);
  EXPECT_EQ(image.programStart.hold, 0);
  EXPECT_EQ(image.programStart.pend, 2);
  EXPECT_EQ(image.programStart.pcut, 4);
  EXPECT_EQ(image.programStartTime.date, 15);
  EXPECT_EQ(image.programStartTime.hour, 8);
  EXPECT_EQ(image.programStartTime.min, 30);
}

}  // namespace
}  // namespace rq30
