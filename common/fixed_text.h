// Number texts of the windows in the locale's decimal separator.
#pragma once

#include <QString>

namespace rq30 {

// The fixed-point text: rounded to `significantDigits`, exactly `decimals`
// decimals, the default locale's separator (21,50 in Czech).
QString FixedText(double value, int significantDigits, int decimals);

// The default locale's decimal separator as one character.
char DecimalSeparator();

}  // namespace rq30
