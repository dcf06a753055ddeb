#include "table_text.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "number_text.h"
#include "param_keys.h"
#include "param_values.h"
#include "table_layout.h"

namespace rq30 {

namespace {

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool ParseWhole(const std::string& text, long& out) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, out);
  return r.ec == std::errc() && r.ptr == end;
}

}  // namespace

std::string FloatText(float value, char decimalPoint) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, r.ptr);
  for (char& c : text) {
    if (c == '.') c = decimalPoint;
  }
  return text;
}

std::vector<std::string> TableFieldTexts(int table, const TableImage& image, char decimalPoint) {
  std::vector<std::string> lines;
  const TableLayout& layout = LayoutOf(table);
  const auto* base = reinterpret_cast<const unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    std::string value;
    switch (f.type) {
      case WireType::Float32: {
        float v;
        std::memcpy(&v, base + f.offset, sizeof v);
        value = FloatText(v, decimalPoint);
        break;
      }
      case WireType::Int16: {
        int32_t v;
        std::memcpy(&v, base + f.offset, sizeof v);
        value = std::to_string(v);
        break;
      }
      case WireType::Byte:
        value = std::to_string(base[f.offset]);
        break;
      case WireType::Reserved:
        continue;
    }
    lines.push_back(std::string(f.mnemonic) + "=" + value);
  }
  return lines;
}

namespace {

// The editor's list behind a byte of the table image, if it is one.
const paramset::Key* ListKeyAt(std::size_t offset) {
  for (const paramset::Key& key : paramset::Keys()) {
    if (key.form == paramset::Form::kList && key.slot == paramset::Slot::kByte &&
        key.offset == offset) {
      return &key;
    }
  }
  return nullptr;
}

}  // namespace

std::string SetTableField(int table, const std::string& mnemonic, const std::string& value,
                          TableImage& image, char decimalPoint) {
  const TableLayout& layout = LayoutOf(table);
  auto* base = reinterpret_cast<unsigned char*>(&image);
  for (std::size_t i = 0; i < layout.count; ++i) {
    const FieldDesc& f = layout.fields[i];
    if (f.type == WireType::Reserved || !SameName(mnemonic, f.mnemonic)) continue;
    switch (f.type) {
      case WireType::Float32: {
        // As the parameter editor takes it: a number a float can hold.
        float v = 0;
        if (!paramset::ParseFloatText(value, decimalPoint, v)) {
          return mnemonic + " takes a number a float can hold (up to about 3.4e38), not " + value;
        }
        std::memcpy(base + f.offset, &v, sizeof v);
        return {};
      }
      case WireType::Int16: {
        long v = 0;
        if (!ParseWhole(value, v) || v < -32768 || v > 65535) {
          return mnemonic + " takes a whole number from -32768 to 65535";
        }
        const auto slot = static_cast<int32_t>(v);
        std::memcpy(base + f.offset, &slot, sizeof slot);
        return {};
      }
      case WireType::Byte: {
        long v = 0;
        if (const paramset::Key* key = ListKeyAt(f.offset)) {
          // A list of the editor: a position of it, nothing else.
          const long low = key->listShift, high = key->listShift + key->listCount - 1;
          if (!ParseWhole(value, v) || v < low || v > high) {
            return mnemonic + " is a list: a position from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not " + value;
          }
          base[f.offset] = static_cast<uint8_t>(v);
          return {};
        }
        if (!ParseWhole(value, v) || v < 0 || v > 255) {
          return mnemonic + " takes a whole number from 0 to 255";
        }
        base[f.offset] = static_cast<uint8_t>(v);
        return {};
      }
      case WireType::Reserved:
        break;
    }
  }
  return "table " + std::to_string(table) + " has no field " + mnemonic;
}

}  // namespace rq30
