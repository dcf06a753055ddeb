#include "controller_memory.h"

#include <algorithm>
#include <cstring>

#include "table_layout.h"

namespace rq30::sim {

namespace {

constexpr int kSetpointArea = 4 * kPrograms;
constexpr int kProgramSetpointBlock = 4 * kSegments;
constexpr int kProgramTimeBlock = 2 * kSegments;
constexpr int kTable13Length = 62;

bool HasTable(int table, Firmware firmware) {
  if (table < 0 || table > 18) return false;
  if (firmware == Firmware::V1 && table >= 14) return false;
  if (firmware == Firmware::V2 && table == 15) return false;
  return true;
}

bool ReadOnly(int table) {
  return table == 11 || table == 12 || table == 13;
}

// The link only encodes what the program writes; the controller also has to
// send the tables the program only reads, from the same field lists.
void EncodeReadOnly(int table, const TableImage& image, std::vector<uint8_t>& out) {
  const TableLayout& layout = LayoutOf(table);
  const auto* base = reinterpret_cast<const unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    uint8_t bytes[4] = {};
    switch (f.type) {
      case WireType::Float32: {
        float v;
        std::memcpy(&v, base + f.offset, sizeof v);
        PutFloat(bytes, v);
        break;
      }
      case WireType::Int16: {
        int32_t v;
        std::memcpy(&v, base + f.offset, sizeof v);
        PutInt16(bytes, v);
        break;
      }
      case WireType::Byte:
        bytes[0] = base[f.offset];
        break;
      case WireType::Reserved:
        break;
    }
    out.insert(out.end(), bytes, bytes + WireSize(f.type));
  }
}

void AppendEncoded(int table, const TableImage& image, std::vector<uint8_t>& out) {
  uint8_t buffer[256];
  const int n = EncodeTable(table, image, buffer, sizeof buffer);
  if (n > 0) out.insert(out.end(), buffer, buffer + n);
}

void AppendFloat(std::vector<uint8_t>& out, float value) {
  uint8_t bytes[4];
  PutFloat(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

// Table 14 carries the start time only where the firmware knows it.
int ProgramStartTable(Firmware firmware) {
  return firmware == Firmware::V2 ? 14 : 19;
}

void StoreArea(int table, Firmware firmware, const std::vector<uint8_t>& area, TableImage& image) {
  const uint8_t* p = area.data();
  switch (table) {
    case 0:
      DecodeTable(0, p, area.size(), image);
      image.setpointList[0] = image.sp;
      for (std::size_t i = 1; i < area.size() / 4; ++i) image.setpointList[i] = GetFloat(p + 4 * i);
      break;
    case 14:
      DecodeTable(ProgramStartTable(firmware), p, area.size(), image);
      break;
    case 17:
      for (int program = 0; program < kPrograms; ++program) {
        for (int s = 0; s < kSegments; ++s) {
          image.programSetpoints[program][s] =
              GetFloat(p + program * kProgramSetpointBlock + 4 * s);
        }
      }
      break;
    case 18:
      for (int program = 0; program < kPrograms; ++program) {
        for (int s = 0; s < kSegments; ++s) {
          image.programTimes[program][s] = GetUInt16(p + program * kProgramTimeBlock + 2 * s);
        }
      }
      break;
    default:
      DecodeTable(table, p, area.size(), image);
      break;
  }
}

}  // namespace

bool ReadArea(int table, Firmware firmware, const TableImage& image, std::vector<uint8_t>& area) {
  area.clear();
  if (!HasTable(table, firmware)) return false;
  switch (table) {
    case 0: {
      // One area holds both: the single setpoint is the list's first element.
      AppendEncoded(0, image, area);
      if (firmware == Firmware::V1) break;
      for (int i = 1; i < kPrograms; ++i) AppendFloat(area, image.setpointList[i]);
      break;
    }
    case 11:
      EncodeReadOnly(11, image, area);
      break;
    case 12:
      area.push_back(image.recordMemory.ringIndex);
      for (float v : image.recordValues) AppendFloat(area, v);
      break;
    case 13:
      area.assign(kTable13Length, 0);
      break;
    case 14:
      AppendEncoded(ProgramStartTable(firmware), image, area);
      break;
    case 17:
      for (const auto& program : image.programSetpoints) {
        for (float v : program) AppendFloat(area, v);
      }
      break;
    case 18:
      for (const auto& program : image.programTimes) {
        for (int32_t v : program) {
          uint8_t bytes[2];
          PutInt16(bytes, v);
          area.insert(area.end(), bytes, bytes + 2);
        }
      }
      break;
    default:
      AppendEncoded(table, image, area);
      break;
  }
  return true;
}

bool WriteArea(int table, Firmware firmware, int offset, const uint8_t* data, int length,
               TableImage& image) {
  if (ReadOnly(table) || offset < 0 || length < 0) return false;
  std::vector<uint8_t> area;
  if (!ReadArea(table, firmware, image, area)) return false;
  if (static_cast<std::size_t>(offset) + static_cast<std::size_t>(length) > area.size()) {
    return false;
  }
  std::copy(data, data + length, area.begin() + offset);
  StoreArea(table, firmware, area, image);
  return true;
}

}  // namespace rq30::sim
