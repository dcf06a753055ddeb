// Between the table image and the values the parameter editor's controls
// show: number texts, list positions, and which control a page fill sets.
// The editor's pages fill and collect through these, the parameter set file
// is written from them, and the command-line client uses them to produce the
// same file from an image without any window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "param_keys.h"
#include "table_image.h"

namespace rq30::paramset {

// Five significant digits and two decimals: 25.5 -> "25,50" with a comma.
std::string FloatText(float value, char decimalSeparator);

// A decimal text in the separator's format. Numbers a float cannot hold are
// refused: the controller would receive an infinity. `value` is left
// unchanged on failure.
bool ParseFloatText(const std::string& text, char decimalSeparator, float& value);

// A decimal text of a file with either separator: a file holds no
// thousands separators, so "21,50" and "21.50" can only mean one number,
// whichever locale saved it.
bool ParseFileFloat(const std::string& text, char decimalSeparator, float& value);

// The text with the other decimal separator swapped for this one when it
// is a number only that way; any other text as it is.
std::string LocaleFloatText(const std::string& text, char decimalSeparator);

// An optional sign and decimal digits.
bool ParseWholeText(const std::string& text, long& value);

// What a whole number leaves in its slot: a byte keeps the low 8 bits (an
// address of 300 becomes 44), a 32-bit slot the low 32 bits.
uint8_t ByteOf(long number);
int32_t Int32Of(long number);

// The key's slot in the image, or nullptr when the slot is of another type.
float* FloatSlot(TableImage& image, const Key& key);
int32_t* Int32Slot(TableImage& image, const Key& key);
uint8_t* ByteSlot(TableImage& image, const Key& key);

// The slot as the file's float and whole forms write it; empty for a key
// without a slot.
std::string ImageText(const TableImage& image, const Key& key, char decimalSeparator);

// Entries of the key's list in a firmware variant.
int ListCount(const Key& key, int variant);

// The position a list shows for the value the image holds: stored value
// minus the key's shift, -1 (no selection) outside the list.
int ListPosition(const TableImage& image, const Key& key, int variant);

// What the editor's fill of the key's page puts into the key's control, or
// nothing where the fill leaves the control as it is (the start time in
// firmware 2, the program controls in firmware 1, the start value of a
// program that is not a ramp).
std::optional<std::string> FilledValue(const TableImage& image, const Key& key, int variant,
                                       char decimalSeparator);

// Whether the operator can bring up the page in the firmware variant.
bool PageShown(int page, int variant);

// Whether a save takes the key from the image rather than from a control:
// the program arrays, and SP outside firmware 1, where `ed_comp` is the
// segment entry field and not the setpoint.
bool SavedFromImage(const Key& key, int variant);

// The value a save writes when the editor has just read the controller and
// every page the variant offers has been shown: what the fills put in, and
// the loader's presets where no fill reaches (an empty text where there is
// no preset either).
std::string ShownValue(const TableImage& image, const Key& key, int variant, char decimalSeparator);

// Takes a value back into the image as the editor's collect does: a list's
// position (plus the shift), a text parsed by its slot (a float with either
// decimal separator, as a file may hold it). Returns false, with
// the slot unchanged, when the text is not a number of its kind.
bool StoreValue(TableImage& image, const Key& key, const std::string& value, char decimalSeparator);

// Sets the key's slot to 0, as a rejected field leaves it.
void ClearSlot(TableImage& image, const Key& key);

// The position a load selects in a list for a file value: the value when it
// is a whole number, else the key's default; -1 when outside the list.
int LoadedPosition(const Key& key, const std::string& fileValue, int variant);

}  // namespace rq30::paramset
