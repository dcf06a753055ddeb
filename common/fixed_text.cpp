#include "fixed_text.h"

#include <QLocale>

#include "number_text.h"

namespace rq30 {

char DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point.at(0).unicode() < 128 ? point.at(0).toLatin1() : '.';
}

QString FixedText(double value, int significantDigits, int decimals) {
  return QString::fromStdString(
      FormatFixed(value, significantDigits, decimals, DecimalSeparator()));
}

}  // namespace rq30
