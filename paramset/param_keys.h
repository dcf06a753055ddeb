// The parameter set file's keys, described once as data: the 470 keys in
// the order a save writes them, in twelve sections, with the editor control
// each one comes from, what the loading window presets into that control,
// what a load takes when the key is missing, and the table image slot behind
// it. The editor, its loading window and the command-line client all walk
// this list; none of them spells a key of its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace rq30::paramset {

// How a value stands in the file.
enum class Form {
  kList,   // the list's position as a decimal integer, -1 for no selection
  kText,   // an edit field's text exactly as the field shows it
  kFloat,  // a float of the table image as a fixed-point text
  kWhole,  // an integer of the table image in decimal
};

// The table image slot a key stands for.
enum class Slot { kNone, kFloat, kInt32, kByte };

struct Key {
  std::string section;
  std::string name;
  Form form = Form::kText;
  int page = 0;         // editor page; 0 is COMP
  std::string control;  // the editor control showing it; empty for the image's program arrays
  std::optional<std::string> preset;       // put into the control before every load
  std::optional<std::string> loadDefault;  // taken when the file lacks the key; none: not read
  bool collectAfter = false;               // a load collects `page` right after this key
  Slot slot = Slot::kNone;
  std::size_t offset = 0;  // of the slot in TableImage
  int listCount = 0;       // entries of the list
  int listCountOld = 0;    // entries in firmware variants 1 and 2 (PCUT has fewer)
  int listShift = 0;       // stored value = position + shift
  bool startTime = false;  // a start time field firmware 2 does not have
};

constexpr int kKeyCount = 470;
constexpr int kSectionCount = 12;
constexpr int kCompPage = 0;
constexpr int kGoPage = 11;

// All keys in file order: ALARM1, ALARM2, PID, REGO, ONOF, SENS, DACO, ERRO,
// OSTAT, ADD, GO, COMP; in COMP after SP[9] the program keys TEP[p][s] and
// CAS[p][s] for p = 0..9, s = 0..19.
const std::vector<Key>& Keys();

// The key by section and name as the list spells them; nullptr if none.
const Key* FindKey(const std::string& section, const std::string& name);

// Names of the array keys: "SP[3]", "TEP[2][15]", "CAS[2][15]".
std::string SetpointKeyName(int n);
std::string ProgramSetpointKeyName(int program, int segment);
std::string ProgramTimeKeyName(int program, int segment);

}  // namespace rq30::paramset
