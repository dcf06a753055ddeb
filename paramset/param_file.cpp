#include "param_file.h"

#include "param_set.h"
#include "param_values.h"

namespace rq30::paramset {

std::string FileValue(const IniFile& file, const Key& key) {
  return file.ReadString(key.section, key.name, key.loadDefault.value_or(std::string()));
}

void SaveParameterSet(const std::string& path,
                      const std::function<std::string(const Key&)>& valueOf, int variant) {
  IniFile file(path);
  for (const Key& key : Keys()) file.WriteString(key.section, key.name, valueOf(key));
  if (variant >= 1 && variant <= 3)
    file.WriteString(kOwnSection, kVariantKey, std::to_string(variant));
  file.Flush();
}

const Key* LoadCompValues(const IniFile& file, TableImage& image, char decimalSeparator,
                          std::optional<std::string>* start) {
  for (const Key& key : Keys()) {
    // The program type and number in the file are the reader's information
    // only: the selection stays the controller's.
    if (key.page != kCompPage || !key.loadDefault) continue;
    const std::string value = FileValue(file, key);
    if (key.slot == Slot::kNone) {
      if (start) *start = value;
      continue;
    }
    if (!StoreValue(image, key, value, decimalSeparator)) return &key;
  }
  return nullptr;
}

void SaveImage(const std::string& path, const TableImage& image, int variant,
               char decimalSeparator) {
  SaveParameterSet(
      path, [&](const Key& key) { return ShownValue(image, key, variant, decimalSeparator); },
      variant);
}

ImageLoad LoadImage(const IniFile& file, TableImage& image, int variant, char decimalSeparator) {
  ImageLoad result;
  for (const Key& key : Keys()) {
    if (key.page == kCompPage) continue;
    // Firmware 2 has no start time: its fields are never collected.
    if (key.startTime && variant == 2) continue;
    const std::string value = FileValue(file, key);
    if (key.form == Form::kList) {
      StoreValue(image, key, std::to_string(LoadedPosition(key, value, variant)), decimalSeparator);
    } else if (!StoreValue(image, key, value, decimalSeparator)) {
      ClearSlot(image, key);
      result.rejected.push_back(&key);
    }
  }
  for (const char* name : {"PROG", "C_PR"}) {
    const Key& key = *FindKey("COMP", name);
    StoreValue(image, key, ShownValue(image, key, variant, decimalSeparator), decimalSeparator);
  }
  result.badComp = LoadCompValues(file, image, decimalSeparator);
  return result;
}

}  // namespace rq30::paramset
