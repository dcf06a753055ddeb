// Colour values as the program stores them (settings GRAF/PERO, MRIZ,
// POZADI): 32-bit integers in the Windows colour encoding.
//  - 0x00BBGGRR: an explicit colour; 255 is red, 0x0000FFFF yellow.
//  - 0x80000000 + index: a system colour by its Windows index; 0x8000000F
//    (stored as -2147483633) is the button face. These follow the look of
//    the desktop, so they map to the application palette.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace rq30 {

constexpr int32_t SystemColourValue(int index) {
  return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
}
constexpr int32_t kButtonFaceColour = SystemColourValue(15);
constexpr int32_t kRedColour = 0x000000FF;

constexpr bool IsSystemColourValue(int32_t value) {
  return value < 0;
}

// A system colour takes its index from the low byte (as Windows does) and its
// colour from `palette`: 15 button face -> QPalette::Button, 5 window
// background -> Base, 8 window text -> Text, 13 highlight -> Highlight and so
// on; an index without a counterpart gives black, as Windows gives for an
// unknown index. An explicit colour ignores the top byte.
QColor ColourFromValue(int32_t value, const QPalette& palette);
// The same with the application's palette.
QColor ColourFromValue(int32_t value);

// The explicit value 0x00BBGGRR of a colour; alpha is dropped.
int32_t ValueFromColour(const QColor& colour);

}  // namespace rq30
