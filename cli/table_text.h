// Table fields as MNEMONIC=value texts, in the C locale (a point).
#pragma once

#include <string>
#include <vector>

#include "table_image.h"

namespace rq30 {

// One "MNEMONIC=value" line per field of the table, in wire order; the
// reserved byte is left out. Floats use `decimalPoint`.
std::vector<std::string> TableFieldTexts(int table, const TableImage& image,
                                         char decimalPoint = '.');

// Sets the field named by the mnemonic (case-insensitive) from the text, a
// float with `decimalPoint`. Returns an empty string on success, else why not.
std::string SetTableField(int table, const std::string& mnemonic, const std::string& value,
                          TableImage& image, char decimalPoint = '.');

// Shortest text that reads back as the same float.
std::string FloatText(float value, char decimalPoint = '.');

}  // namespace rq30
