#include "settings_store.h"

#include <limits>

#include "number_text.h"

namespace rq30 {

bool ParseStoredInteger(const std::string& text, int32_t& value) {
  long number = 0;
  if (!ParseInt(text.substr(0, text.find('\0')), number)) return false;
  if (number < std::numeric_limits<int32_t>::min() ||
      number > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  value = static_cast<int32_t>(number);
  return true;
}

std::runtime_error InvalidDataTypeError(const std::string& key) {
  return std::runtime_error("Invalid data type for '" + key + "'");
}

std::runtime_error CreateKeyError(const std::string& section) {
  return std::runtime_error("Failed to create key " + section);
}

std::runtime_error SetDataError(const std::string& key) {
  return std::runtime_error("Failed to set data for '" + key + "'");
}

}  // namespace rq30
