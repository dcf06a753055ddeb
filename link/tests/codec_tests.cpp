// Table codecs: byte order, field widths and which slots a table touches.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_port.h"
#include "table_layout.h"

namespace rq30 {
namespace {

using test::Bytes;
using test::Hex;

// Float and int16 byte order as the controller sends them.
const Bytes kFloat100 = {0x42, 0xC8, 0x00, 0x00};
const Bytes kInt16_300 = {0x01, 0x2C};

TEST(Codec, FloatIsBigEndianBothWays) {
  TableImage image{};
  ASSERT_TRUE(DecodeTable(0, kFloat100.data(), kFloat100.size(), image));
  EXPECT_EQ(image.sp, 100.0f);

  uint8_t out[4] = {};
  ASSERT_EQ(EncodeTable(0, image, out, sizeof out), 4);
  EXPECT_EQ(Bytes(out, out + 4), kFloat100);
}

TEST(Codec, Int16SendsLowBitsAndDecodesUnsigned) {
  TableImage image{};
  image.address.rate = 300;
  uint8_t out[3] = {};
  ASSERT_EQ(EncodeTable(10, image, out, sizeof out), 3);
  EXPECT_EQ(Bytes(out + 1, out + 3), kInt16_300);

  image.address.rate = -1;  // every bit of the 32-bit slot set
  const Bytes reply = {0x07, 0xFF, 0xFB};
  ASSERT_TRUE(DecodeTable(10, reply.data(), reply.size(), image));
  EXPECT_EQ(image.address.address, 7);
  EXPECT_EQ(image.address.rate, 65531);
}

TEST(Codec, LayoutsAddUpToTheTableLengths) {
  TableImage image{};
  uint8_t out[256];
  for (int table = 0; table < kTableCount; ++table) {
    const TableLayout& layout = LayoutOf(table);
    SCOPED_TRACE(table);
    if (layout.encodable) {
      EXPECT_EQ(EncodeTable(table, image, out, sizeof out), kTableLength[table]);
    }
    int bytes = 0;
    for (std::size_t i = 0; i < layout.count; ++i) bytes += WireSize(layout.fields[i].type);
    if (table == 12) {
      EXPECT_EQ(bytes, 1);  // only the ring index is decoded
    } else if (layout.decodable) {
      EXPECT_EQ(bytes, kTableLength[table]);
    }
  }
}

TEST(Codec, WhichTablesHaveCodecs) {
  for (int table = -1; table <= kTableCount; ++table) {
    SCOPED_TRACE(table);
    const bool inRange = table >= 0 && table < kTableCount;
    const bool noLayout = !inRange || table == 13 || table == 17 || table == 18;
    EXPECT_EQ(LayoutOf(table).decodable, !noLayout);
    EXPECT_EQ(LayoutOf(table).encodable, !noLayout && table != 11 && table != 12);
  }
  TableImage image{};
  uint8_t out[256];
  EXPECT_EQ(EncodeTable(11, image, out, sizeof out), -1);
  EXPECT_FALSE(DecodeTable(17, out, sizeof out, image));
}

TEST(Codec, ReservedByteOfMiscTableIsAlwaysZero) {
  TableImage image;
  std::memset(&image, 0xFF, sizeof image);
  uint8_t out[14];
  ASSERT_EQ(EncodeTable(9, image, out, sizeof out), 14);
  EXPECT_EQ(out[12], 0xFF);  // LOCK
  EXPECT_EQ(out[13], 0x00);
}

TEST(Codec, EncodeWalksFieldsInWireOrder) {
  TableImage image{};
  image.control.type = 3;
  image.control.dser = 0x0102;
  image.control.dead = 0x0304;
  image.control.f2 = 0x0506;
  image.control.tpid = 0x0708;
  image.control.ps = 0x090A;
  image.control.per = 0x0B0C;
  uint8_t out[13];
  ASSERT_EQ(EncodeTable(5, image, out, sizeof out), 13);
  EXPECT_EQ(Bytes(out, out + 13), Hex("03 01 02 03 04 05 06 07 08 09 0A 0B 0C"));
}

// Decoding a table changes its own slots and nothing else of the image.
TEST(Codec, LiveValuesNeverTouchParameters) {
  TableImage before;
  std::memset(&before, 0xAB, sizeof before);
  TableImage image = before;
  const Bytes live = Hex("41 AC 00 00 05 41 A0 00 00 03 E8 41 B8 00 00 00 01");
  ASSERT_TRUE(DecodeTable(11, live.data(), live.size(), image));
  EXPECT_EQ(image.live.measured, 21.5f);
  EXPECT_EQ(image.live.relays, 0x05);
  EXPECT_EQ(image.live.setpoint, 20.0f);
  EXPECT_EQ(image.live.output, 1000);  // 100.0 %
  EXPECT_EQ(image.live.terminal, 23.0f);
  EXPECT_EQ(image.live.fault, 1);

  image.live = before.live;
  EXPECT_EQ(std::memcmp(&image, &before, sizeof image), 0);
}

TEST(Codec, StartTableWithTimeSharesTheFourStartSlots) {
  TableImage image{};
  const Bytes t19 = Hex("01 01 02 04 0F 08 1E");
  ASSERT_TRUE(DecodeTable(19, t19.data(), t19.size(), image));
  EXPECT_EQ(image.programStart.pcut, 4);
  EXPECT_EQ(image.programStartTime.date, 15);
  EXPECT_EQ(image.programStartTime.hour, 8);
  EXPECT_EQ(image.programStartTime.min, 30);

  const Bytes t14 = Hex("00 00 01 02");
  ASSERT_TRUE(DecodeTable(14, t14.data(), t14.size(), image));
  EXPECT_EQ(image.programStart.go, 0);
  EXPECT_EQ(image.programStart.pend, 1);
  EXPECT_EQ(image.programStartTime.date, 15);  // untouched by table 14
}

TEST(Codec, ShortInputDecodesNothing) {
  TableImage image{};
  image.sp = 5.0f;
  const Bytes three = {0x42, 0xC8, 0x00};
  EXPECT_FALSE(DecodeTable(0, three.data(), three.size(), image));
  EXPECT_EQ(image.sp, 5.0f);
  uint8_t out[3];
  EXPECT_EQ(EncodeTable(1, image, out, sizeof out), -1);
}

}  // namespace
}  // namespace rq30
