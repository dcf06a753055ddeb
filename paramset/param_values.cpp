#include "param_values.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "number_text.h"

namespace rq30::paramset {

namespace {

constexpr int kTypeRamp = 1;
constexpr int kTypeCount = 3;

unsigned char* SlotAddress(TableImage& image, const Key& key) {
  return reinterpret_cast<unsigned char*>(&image) + key.offset;
}

long Stored(const TableImage& image, const Key& key) {
  const auto* at = reinterpret_cast<const unsigned char*>(&image) + key.offset;
  switch (key.slot) {
    case Slot::kInt32: {
      int32_t v;
      std::memcpy(&v, at, sizeof v);
      return v;
    }
    case Slot::kByte:
      return *at;
    default:
      return 0;
  }
}

float StoredFloat(const TableImage& image, const Key& key) {
  float v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&image) + key.offset, sizeof v);
  return v;
}

bool IsKey(const Key& key, const char* name) {
  return key.page == kCompPage && key.name == name;
}

// The program type and number as page 0 shows them: a type outside the list
// shows no selection, a number outside 0..9 shows program 0.
int ShownType(const TableImage& image) {
  const int type = image.programSelection.type;
  return type < kTypeCount ? type : -1;
}

int ShownProgram(const TableImage& image) {
  const int number = image.programSelection.number;
  return number < kPrograms ? number : 0;
}

}  // namespace

std::string FloatText(float value, char decimalSeparator) {
  return FormatFixed(value, 5, 2, decimalSeparator);
}

bool ParseFloatText(const std::string& text, char decimalSeparator, float& value) {
  double number = 0;
  if (!ParseFloat(text, decimalSeparator, number)) return false;
  if (std::fabs(number) > std::numeric_limits<float>::max()) return false;
  value = static_cast<float>(number);
  return true;
}

bool ParseFileFloat(const std::string& text, char decimalSeparator, float& value) {
  if (ParseFloatText(text, decimalSeparator, value)) return true;
  const char other = decimalSeparator == ',' ? '.' : ',';
  return ParseFloatText(text, other, value);
}

std::string LocaleFloatText(const std::string& text, char decimalSeparator) {
  float value = 0;
  if (ParseFloatText(text, decimalSeparator, value)) return text;
  const char other = decimalSeparator == ',' ? '.' : ',';
  if (!ParseFloatText(text, other, value)) return text;
  std::string swapped = text;
  for (char& c : swapped) {
    if (c == other) c = decimalSeparator;
  }
  return swapped;
}

bool ParseWholeText(const std::string& text, long& value) {
  return ParseInt(text, value);
}

uint8_t ByteOf(long number) {
  return static_cast<uint8_t>(static_cast<unsigned long>(number) & 0xFFu);
}

int32_t Int32Of(long number) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(number)));
}

float* FloatSlot(TableImage& image, const Key& key) {
  return key.slot == Slot::kFloat ? reinterpret_cast<float*>(SlotAddress(image, key)) : nullptr;
}

int32_t* Int32Slot(TableImage& image, const Key& key) {
  return key.slot == Slot::kInt32 ? reinterpret_cast<int32_t*>(SlotAddress(image, key)) : nullptr;
}

uint8_t* ByteSlot(TableImage& image, const Key& key) {
  return key.slot == Slot::kByte ? SlotAddress(image, key) : nullptr;
}

std::string ImageText(const TableImage& image, const Key& key, char decimalSeparator) {
  switch (key.slot) {
    case Slot::kFloat:
      return FloatText(StoredFloat(image, key), decimalSeparator);
    case Slot::kInt32:
    case Slot::kByte:
      return std::to_string(Stored(image, key));
    case Slot::kNone:
      break;
  }
  return std::string();
}

int ListCount(const Key& key, int variant) {
  return variant == 1 || variant == 2 ? key.listCountOld : key.listCount;
}

int ListPosition(const TableImage& image, const Key& key, int variant) {
  const long position = Stored(image, key) - key.listShift;
  return position >= 0 && position < ListCount(key, variant) ? static_cast<int>(position) : -1;
}

std::optional<std::string> FilledValue(const TableImage& image, const Key& key, int variant,
                                       char decimalSeparator) {
  if (key.page != kCompPage) {
    if (key.startTime && variant == 2) return std::nullopt;
    if (key.form == Form::kList) return std::to_string(ListPosition(image, key, variant));
    return ImageText(image, key, decimalSeparator);
  }
  if (key.control.empty()) return ImageText(image, key, decimalSeparator);
  // Firmware 1 has a single setpoint on page 0 and no programs.
  if (variant == 1) {
    if (IsKey(key, "SP")) return ImageText(image, key, decimalSeparator);
    return std::nullopt;
  }
  if (IsKey(key, "PROG")) return std::to_string(ShownType(image));
  if (IsKey(key, "C_PR")) return std::to_string(ShownProgram(image));
  if (IsKey(key, "POCATEK") && ShownType(image) == kTypeRamp)
    return FloatText(image.setpointList[ShownProgram(image)], decimalSeparator);
  return std::nullopt;
}

bool PageShown(int page, int variant) {
  if (page == 11) return variant != 1;
  if (page == 12) return variant != 1 && variant != 2;
  return true;
}

bool SavedFromImage(const Key& key, int variant) {
  return key.control.empty() || (IsKey(key, "SP") && variant != 1);
}

std::string ShownValue(const TableImage& image, const Key& key, int variant,
                       char decimalSeparator) {
  if (SavedFromImage(key, variant)) return ImageText(image, key, decimalSeparator);
  if (PageShown(key.page, variant)) {
    if (auto filled = FilledValue(image, key, variant, decimalSeparator)) return *filled;
  }
  return key.preset.value_or(std::string());
}

bool StoreValue(TableImage& image, const Key& key, const std::string& value,
                char decimalSeparator) {
  if (key.slot == Slot::kFloat) {
    // A list never stands on a float.
    return ParseFileFloat(value, decimalSeparator, *FloatSlot(image, key));
  }
  long number = 0;
  if (key.slot == Slot::kNone || !ParseWholeText(value, number)) return false;
  if (key.form == Form::kList) number += key.listShift;
  if (key.slot == Slot::kByte) {
    *ByteSlot(image, key) = ByteOf(number);
  } else {
    *Int32Slot(image, key) = Int32Of(number);
  }
  return true;
}

void ClearSlot(TableImage& image, const Key& key) {
  switch (key.slot) {
    case Slot::kFloat:
      *FloatSlot(image, key) = 0;
      break;
    case Slot::kInt32:
      *Int32Slot(image, key) = 0;
      break;
    case Slot::kByte:
      *ByteSlot(image, key) = 0;
      break;
    case Slot::kNone:
      break;
  }
}

int LoadedPosition(const Key& key, const std::string& fileValue, int variant) {
  long position = 0;
  if (!ParseWholeText(fileValue, position) &&
      !ParseWholeText(key.loadDefault.value_or("0"), position)) {
    position = 0;
  }
  return position >= 0 && position < ListCount(key, variant) ? static_cast<int>(position) : -1;
}

}  // namespace rq30::paramset
