// The wire layout of the controller's data tables, described once as data.
//
// Each table is a list of fields in wire order; one generic encoder and one
// decoder walk the list. All multi-byte fields are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "table_image.h"

namespace rq30 {

enum class WireType : uint8_t {
  Float32,   // 4 bytes, IEEE-754 single precision
  Int16,     // 2 bytes into a 32-bit slot
  Byte,      // 1 byte
  Reserved,  // 1 byte, always sent as 0, never stored
};

struct FieldDesc {
  WireType type;
  std::size_t offset;    // of the slot in TableImage (unused for Reserved)
  const char* mnemonic;  // the controller's label, or a name of ours for live values
};

struct TableLayout {
  const FieldDesc* fields;
  std::size_t count;
  bool decodable;  // has a read layout
  bool encodable;  // has a write layout
};

constexpr int kTableCount = 20;

// Data length in bytes of tables 0..19.
extern const uint8_t kTableLength[kTableCount];

// The layout of table n; an empty layout (no fields, neither codec) for 13,
// 17, 18 and for numbers outside 0..19.
const TableLayout& LayoutOf(int table);

// Wire size of one field.
int WireSize(WireType type);

// Decodes table n from data[0..] into the image. Returns false, touching
// nothing, when the table has no decoder or fewer than its length bytes are
// available.
bool DecodeTable(int table, const uint8_t* data, std::size_t available, TableImage& image);

// Encodes table n from the image into out[0..]. Returns the number of bytes
// written (the table's length), or -1 when the table has no encoder or the
// output is too small.
int EncodeTable(int table, const TableImage& image, uint8_t* out, std::size_t capacity);

// Big-endian helpers, shared with the block codecs and the simulator.
void PutFloat(uint8_t* out, float value);
float GetFloat(const uint8_t* in);
void PutInt16(uint8_t* out, int32_t value);  // low 16 bits
int32_t GetUInt16(const uint8_t* in);        // 0..65535

}  // namespace rq30
