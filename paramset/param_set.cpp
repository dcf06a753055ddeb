#include "param_set.h"

#include <cstring>

#include "param_values.h"

namespace rq30::paramset {

namespace {

// Pages 1..9 in page order: alarm 1, alarm 2, PID, control mode, on/off,
// sensor, analog output, error reaction, miscellaneous.
constexpr int kPageTables[] = {1, 2, 4, 5, 6, 3, 7, 8, 9};
constexpr int kAddressTable = 10;
constexpr int kAddressPage = 10;
constexpr int kLastBusAddress = 126;
constexpr long kByteMax = 0xFF;
constexpr long kInt16Max = 0xFFFF;

bool IsSingleSetpoint(const Key& key) {
  return key.page == kCompPage && key.name == "SP";
}

bool IsProgramArray(const Key& key) {
  return key.page == kCompPage && key.control.empty();
}

std::string Problem(const Key& key, const std::string& what) {
  return key.section + "/" + key.name + ": " + what;
}

}  // namespace

const char* const kOwnSection = "RQ30";
const char* const kVariantKey = "VARIANTA";

SetPlan PlanFor(int variant, bool withAddress) {
  return CommonPlan(variant, variant, withAddress);
}

SetPlan CommonPlan(int controllerVariant, int fileVariant, bool withAddress) {
  SetPlan plan;
  auto known = [](int v) { return v >= 1 && v <= 3; };
  if (!known(controllerVariant) || !known(fileVariant)) return plan;
  plan.tables.assign(std::begin(kPageTables), std::end(kPageTables));
  plan.address = withAddress;
  if (withAddress) plan.tables.push_back(kAddressTable);
  // Firmware 1 has a single setpoint and no program start; the others keep
  // the setpoint in the setpoint list, whose block begins at table 0.
  if (controllerVariant == 1 && fileVariant == 1) {
    plan.setpoint = true;
    plan.tables.push_back(0);
  } else if (controllerVariant >= 2 && fileVariant >= 2) {
    plan.goTable = controllerVariant == 3 && fileVariant == 3 ? 19 : 14;
    plan.tables.push_back(plan.goTable);
    plan.programs = true;
  }
  return plan;
}

bool InPlan(const SetPlan& plan, const Key& key) {
  if (key.page == kCompPage) {
    if (IsSingleSetpoint(key)) return plan.setpoint;
    return IsProgramArray(key) && plan.programs;
  }
  if (key.page == kAddressPage) return plan.address;
  if (key.page == kGoPage) return plan.goTable == 19 || (plan.goTable == 14 && !key.startTime);
  return true;
}

std::string SetValueText(const TableImage& image, const Key& key, char decimalSeparator) {
  if (key.form != Form::kList) return ImageText(image, key, decimalSeparator);
  // The position itself, also outside the list, so that two different
  // stored values never read the same.
  long stored = 0;
  ParseWholeText(ImageText(image, key, decimalSeparator), stored);
  return std::to_string(stored - key.listShift);
}

bool SameOnTheWire(const TableImage& a, const TableImage& b, const Key& key) {
  const auto* pa = reinterpret_cast<const unsigned char*>(&a) + key.offset;
  const auto* pb = reinterpret_cast<const unsigned char*>(&b) + key.offset;
  switch (key.slot) {
    case Slot::kFloat:
      return std::memcmp(pa, pb, sizeof(float)) == 0;
    case Slot::kInt32: {
      int32_t va = 0, vb = 0;
      std::memcpy(&va, pa, sizeof va);
      std::memcpy(&vb, pb, sizeof vb);
      return (va & kInt16Max) == (vb & kInt16Max);
    }
    case Slot::kByte:
      return *pa == *pb;
    case Slot::kNone:
      break;
  }
  return true;
}

int FileVariant(const IniFile& file) {
  long variant = 0;
  if (!ParseWholeText(file.ReadString(kOwnSection, kVariantKey, ""), variant)) return 0;
  return variant >= 1 && variant <= 3 ? static_cast<int>(variant) : 0;
}

std::string NotAParameterSet(const std::string& bytes, const IniFile& file) {
  if (bytes.empty()) return "the file is empty";
  // Text of the program is Windows-1250: a NUL byte means binary data or
  // UTF-16, whose every other byte is zero.
  if (bytes.find('\0') != std::string::npos) return "the file is not text (binary or UTF-16)";
  if (!file.HasSection("COMP")) return "the file has no [COMP] section";
  return std::string();
}

std::vector<std::string> TakeFileValues(const IniFile& file, const SetPlan& plan,
                                        int controllerVariant, char decimalSeparator,
                                        TableImage& image) {
  std::vector<std::string> problems;
  for (const Key& key : Keys()) {
    if (!InPlan(plan, key)) continue;
    if (!file.HasKey(key.section, key.name)) {
      problems.push_back(Problem(key, "missing"));
      continue;
    }
    const std::string value = file.ReadString(key.section, key.name, "");
    if (key.slot == Slot::kFloat) {
      float number = 0;
      if (!ParseFileFloat(value, decimalSeparator, number)) {
        problems.push_back(Problem(key, "\"" + value + "\" is not a number a float can hold"));
      } else {
        *FloatSlot(image, key) = number;
      }
      continue;
    }
    long number = 0;
    if (!ParseWholeText(value, number)) {
      problems.push_back(Problem(key, "\"" + value + "\" is not a whole number"));
      continue;
    }
    if (key.form == Form::kList) {
      const int count = ListCount(key, controllerVariant);
      if (number < 0 || number >= count) {
        problems.push_back(Problem(key, "position " + value + " is outside its list (0.." +
                                            std::to_string(count - 1) + ")"));
        continue;
      }
    } else {
      const long high = key.page == kAddressPage && key.slot == Slot::kByte ? kLastBusAddress
                        : key.slot == Slot::kByte                            ? kByteMax
                                                                             : kInt16Max;
      if (number < 0 || number > high) {
        problems.push_back(
            Problem(key, value + " is outside 0.." + std::to_string(high)));
        continue;
      }
    }
    StoreValue(image, key, std::to_string(number), decimalSeparator);
  }
  return problems;
}

}  // namespace rq30::paramset
