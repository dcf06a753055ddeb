// What a controller's parameter set is, per firmware variant: the keys of
// the file that stand for controller values, the tables and program blocks
// behind them, and the checks a file must pass before any of it may be
// written to a controller.
//
// The set never holds the clock (table 15) or the program selection (table
// 16): the clock is set on purpose, and the selection is what the operator
// runs. The address table belongs to it only when asked for, since writing
// it moves the controller to another bus address.
#pragma once

#include <string>
#include <vector>

#include "ini_file.h"
#include "param_keys.h"
#include "table_image.h"

namespace rq30::paramset {

// The tables and blocks one transfer covers.
struct SetPlan {
  std::vector<int> tables;  // whole tables, in the order they are written
  int goTable = 0;          // 14, 19 (with the start time), or 0 for none
  bool setpoint = false;    // table 0 (firmware 1's single setpoint)
  bool programs = false;    // the setpoint list and all ten programs
  bool address = false;     // table 10
};

// The set of a firmware variant (1..3); nothing for 0.
SetPlan PlanFor(int variant, bool withAddress);

// What a file of variant `fileVariant` can give a controller of variant
// `controllerVariant`: only what both hold. The start time goes only
// between two firmware 3 sets; a firmware 1 file brings no programs.
SetPlan CommonPlan(int controllerVariant, int fileVariant, bool withAddress);

// Whether the key stands for a value the plan transfers.
bool InPlan(const SetPlan& plan, const Key& key);

// The value of the key in the image as the file writes it: list positions
// as positions, floats as two-decimal texts, wholes in decimal.
std::string SetValueText(const TableImage& image, const Key& key, char decimalSeparator);

// Whether the two images agree on the key as the wire carries it: floats
// bit for bit, int16 fields in their low 16 bits, bytes whole.
bool SameOnTheWire(const TableImage& a, const TableImage& b, const Key& key);

// The program's own section of the file: the firmware variant the set was
// read from, so that a restore can tell a set of another firmware. Other
// readers of the file ignore it.
extern const char* const kOwnSection;
extern const char* const kVariantKey;

// The variant a file says it holds; 0 when it does not say (an older file).
int FileVariant(const IniFile& file);

// Why the bytes are not a parameter set file: empty when they may be one.
// Empty files, binary data and UTF-16 text (NUL bytes), and files without
// the COMP section are not.
std::string NotAParameterSet(const std::string& bytes, const IniFile& file);

// Takes the file's value of every key of the plan into the image, checking
// each against its kind: a list position inside the list of
// `controllerVariant`, a float a float32 can hold, a whole number inside its
// field (0..255 for a byte, 0..65535 for an int16, addresses 0..126). A key
// the file lacks is a problem too: a set must be whole. Returns one line per
// problem, "SECTION/KEY: what is wrong"; nothing is taken for a bad key.
std::vector<std::string> TakeFileValues(const IniFile& file, const SetPlan& plan,
                                        int controllerVariant, char decimalSeparator,
                                        TableImage& image);

}  // namespace rq30::paramset
