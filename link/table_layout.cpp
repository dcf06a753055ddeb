#include "table_layout.h"

#include <cstring>
#include <type_traits>
#include <utility>

namespace rq30 {

namespace {

// Checks at compile time that a slot holds what its wire type decodes into.
template <typename Expected, typename Actual>
constexpr std::size_t Slot(std::size_t offset) {
  static_assert(std::is_same_v<Expected, Actual>, "slot type does not match its wire type");
  return offset;
}

#define RQ30_FIELD(wire, held, member, name)                                                \
  FieldDesc {                                                                               \
    WireType::wire, Slot<held, decltype(std::declval<TableImage>().member)>(                \
                        offsetof(TableImage, member)),                                      \
        name                                                                                \
  }
#define F32(member, name) RQ30_FIELD(Float32, float, member, name)
#define I16(member, name) RQ30_FIELD(Int16, int32_t, member, name)
#define BYTE(member, name) RQ30_FIELD(Byte, uint8_t, member, name)
#define RESERVED() \
  FieldDesc { WireType::Reserved, 0, "RESERVED" }

const FieldDesc kTable0[] = {F32(sp, "SP")};

const FieldDesc kTable1[] = {F32(alarm1.splo, "SPLO"), F32(alarm1.sphi, "SPHI"),
                             F32(alarm1.hyst, "HYST"), BYTE(alarm1.rala, "RALA"),
                             BYTE(alarm1.rele, "RELE")};

const FieldDesc kTable2[] = {F32(alarm2.splo, "SPLO"), F32(alarm2.sphi, "SPHI"),
                             F32(alarm2.hyst, "HYST"), BYTE(alarm2.rala, "RALA"),
                             BYTE(alarm2.rele, "RELE")};

const FieldDesc kTable3[] = {BYTE(sensor.type, "TYPE"), BYTE(sensor.dp, "DP"),
                             F32(sensor.strs, "STRS"),  F32(sensor.ends, "ENDS"),
                             F32(sensor.offs, "OFFS"),  BYTE(sensor.comp, "COMP")};

const FieldDesc kTable4[] = {F32(pid.pb, "PB"), F32(pid.intg, "INT"), F32(pid.der, "DER"),
                             BYTE(pid.tune, "TUNE")};

const FieldDesc kTable5[] = {BYTE(control.type, "TYPE"), I16(control.dser, "DSER"),
                             I16(control.dead, "DEAD"),  I16(control.f2, "F2"),
                             I16(control.tpid, "TPID"),  I16(control.ps, "PS"),
                             I16(control.per, "PER")};

const FieldDesc kTable6[] = {F32(onoff.phea, "PHEA"), F32(onoff.pcoo, "PCOO"),
                             F32(onoff.hhea, "HHEA"), F32(onoff.hcoo, "HCOO"),
                             I16(onoff.at, "AT"),     BYTE(onoff.re1, "RE-1"),
                             BYTE(onoff.re2, "RE-2")};

const FieldDesc kTable7[] = {BYTE(analog.ain, "A-IN"), BYTE(analog.aout, "A-OUT"),
                             F32(analog.astr, "ASTR"), F32(analog.aend, "AEND")};

const FieldDesc kTable8[] = {BYTE(errorReaction.re12, "RE12"), BYTE(errorReaction.re3, "RE-3"),
                             BYTE(errorReaction.re4, "RE-4"), BYTE(errorReaction.yout, "YOUT")};

const FieldDesc kTable9[] = {F32(misc.oplo, "OPLO"), F32(misc.ophi, "OPHI"),
                             I16(misc.filt, "FILT"), I16(misc.pass, "PASS"),
                             BYTE(misc.lock, "LOCK"), RESERVED()};

const FieldDesc kTable10[] = {BYTE(address.address, "ADDR"), I16(address.rate, "RATE")};

const FieldDesc kTable11[] = {F32(live.measured, "MEAS"), BYTE(live.relays, "RELAYS"),
                              F32(live.setpoint, "SETP"), I16(live.output, "OUT"),
                              F32(live.terminal, "TERM"), BYTE(live.status, "STATUS"),
                              BYTE(live.fault, "FAULT")};

const FieldDesc kTable12[] = {BYTE(recordMemory.ringIndex, "INDEX")};

const FieldDesc kTable14[] = {BYTE(programStart.go, "GO"), BYTE(programStart.hold, "HOLD"),
                              BYTE(programStart.pend, "PEND"), BYTE(programStart.pcut, "PCUT")};

const FieldDesc kTable15[] = {BYTE(clock.sec, "SEC"),   BYTE(clock.min, "MIN"),
                              BYTE(clock.hour, "HOUR"), BYTE(clock.wday, "WDAY"),
                              BYTE(clock.mday, "MDAY"), BYTE(clock.mont, "MONT"),
                              BYTE(clock.year, "YEAR")};

const FieldDesc kTable16[] = {BYTE(programSelection.type, "PTYPE"),
                              BYTE(programSelection.number, "PNUM")};

const FieldDesc kTable19[] = {BYTE(programStart.go, "GO"),       BYTE(programStart.hold, "HOLD"),
                              BYTE(programStart.pend, "PEND"),   BYTE(programStart.pcut, "PCUT"),
                              BYTE(programStartTime.date, "DATE"), BYTE(programStartTime.hour, "HOUR"),
                              BYTE(programStartTime.min, "MIN")};

#undef RQ30_FIELD
#undef F32
#undef I16
#undef BYTE
#undef RESERVED

template <std::size_t N>
constexpr TableLayout ReadWrite(const FieldDesc (&fields)[N]) {
  return {fields, N, true, true};
}
template <std::size_t N>
constexpr TableLayout ReadOnly(const FieldDesc (&fields)[N]) {
  return {fields, N, true, false};
}
constexpr TableLayout kNoLayout = {nullptr, 0, false, false};

const TableLayout kLayouts[kTableCount] = {
    ReadWrite(kTable0),  ReadWrite(kTable1),  ReadWrite(kTable2),  ReadWrite(kTable3),
    ReadWrite(kTable4),  ReadWrite(kTable5),  ReadWrite(kTable6),  ReadWrite(kTable7),
    ReadWrite(kTable8),  ReadWrite(kTable9),  ReadWrite(kTable10), ReadOnly(kTable11),
    ReadOnly(kTable12),  kNoLayout,           ReadWrite(kTable14), ReadWrite(kTable15),
    ReadWrite(kTable16), kNoLayout,           kNoLayout,           ReadWrite(kTable19),
};

int LayoutBytes(const TableLayout& layout) {
  int n = 0;
  for (std::size_t i = 0; i < layout.count; ++i) n += WireSize(layout.fields[i].type);
  return n;
}

}  // namespace

const uint8_t kTableLength[kTableCount] = {4,  14, 14, 15,  13, 13, 20, 10, 4,  14,
                                           3,  17, 100, 62, 4,  7,  2,  32, 144, 7};

const TableLayout& LayoutOf(int table) {
  if (table < 0 || table >= kTableCount) return kNoLayout;
  return kLayouts[table];
}

int WireSize(WireType type) {
  switch (type) {
    case WireType::Float32:
      return 4;
    case WireType::Int16:
      return 2;
    case WireType::Byte:
    case WireType::Reserved:
      return 1;
  }
  return 0;
}

void PutFloat(uint8_t* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  out[0] = static_cast<uint8_t>(bits >> 24);
  out[1] = static_cast<uint8_t>(bits >> 16);
  out[2] = static_cast<uint8_t>(bits >> 8);
  out[3] = static_cast<uint8_t>(bits);
}

float GetFloat(const uint8_t* in) {
  const uint32_t bits = (uint32_t{in[0]} << 24) | (uint32_t{in[1]} << 16) |
                        (uint32_t{in[2]} << 8) | uint32_t{in[3]};
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void PutInt16(uint8_t* out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  out[0] = static_cast<uint8_t>(bits >> 8);
  out[1] = static_cast<uint8_t>(bits);
}

int32_t GetUInt16(const uint8_t* in) { return (int32_t{in[0]} << 8) | int32_t{in[1]}; }

bool DecodeTable(int table, const uint8_t* data, std::size_t available, TableImage& image) {
  const TableLayout& layout = LayoutOf(table);
  if (!layout.decodable) return false;
  if (available < static_cast<std::size_t>(LayoutBytes(layout))) return false;
  auto* base = reinterpret_cast<unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    switch (f.type) {
      case WireType::Float32: {
        const float v = GetFloat(data);
        std::memcpy(base + f.offset, &v, sizeof v);
        break;
      }
      case WireType::Int16: {
        const int32_t v = GetUInt16(data);
        std::memcpy(base + f.offset, &v, sizeof v);
        break;
      }
      case WireType::Byte:
        base[f.offset] = data[0];
        break;
      case WireType::Reserved:
        break;
    }
    data += WireSize(f.type);
  }
  return true;
}

int EncodeTable(int table, const TableImage& image, uint8_t* out, std::size_t capacity) {
  const TableLayout& layout = LayoutOf(table);
  if (!layout.encodable) return -1;
  const int length = LayoutBytes(layout);
  if (capacity < static_cast<std::size_t>(length)) return -1;
  const auto* base = reinterpret_cast<const unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    switch (f.type) {
      case WireType::Float32: {
        float v;
        std::memcpy(&v, base + f.offset, sizeof v);
        PutFloat(out, v);
        break;
      }
      case WireType::Int16: {
        int32_t v;
        std::memcpy(&v, base + f.offset, sizeof v);
        PutInt16(out, v);
        break;
      }
      case WireType::Byte:
        out[0] = base[f.offset];
        break;
      case WireType::Reserved:
        out[0] = 0;
        break;
    }
    out += WireSize(f.type);
  }
  return length;
}

}  // namespace rq30
