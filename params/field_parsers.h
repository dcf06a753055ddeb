// How the parameter editor shows and takes back the controller's numbers:
// floats as fixed-point texts in the operator's locale, and the two field
// parsers that report a bad text, reset the field and keep the focus on it.
#pragma once

#include <QString>
#include <cstdint>

#include "fixed_text.h"  // DecimalSeparator

class QLineEdit;

namespace rq30 {

// Five significant digits and two decimals: 25.5 -> "25,50".
QString DecimalText(float value);

// A decimal text in the locale's format. Numbers a float cannot hold are
// refused: the controller would receive an infinity.
bool ParseDecimalText(const QString& text, float& value);

// Both return 0 for an accepted text, which is stored in `target`. A rejected
// text shows its "CHYBA" box, stores 0, sets the field to "0", focuses it and
// returns -1.
int ParseDecimalField(QLineEdit* field, float& target);
// A byte slot keeps the low 8 bits, a 32-bit slot the number itself; there
// is no range test.
int ParseWholeField(QLineEdit* field, uint8_t& target);
int ParseWholeField(QLineEdit* field, int32_t& target);

// 0 when low <= value <= high; otherwise the "EDIT" range box and -1.
int CheckRange(long low, long high, long value);

}  // namespace rq30
