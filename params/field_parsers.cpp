#include "field_parsers.h"

#include "fixed_text.h"

#include <QLineEdit>
#include <QLocale>
#include <cmath>
#include <limits>

#include "field_check.h"
#include "number_text.h"
#include "operator_dialogs.h"

namespace rq30 {

namespace {

const QString kNotDecimal = QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku");
const QString kNotWhole = QStringLiteral("Je nutné zadávat pouze čísla");

void Reject(QLineEdit* field, const QString& message) {
  Dialogs().Message(message, QStringLiteral("CHYBA"), DialogIcon::kWarning, DialogButtons::kOk);
  field->setText(QStringLiteral("0"));
  field->setFocus();
}

bool ParseWholeText(const QString& text, long& number) {
  return ParseInt(text.toStdString(), number);
}

}  // namespace

QString DecimalText(float value) {
  return QString::fromStdString(FormatFixed(value, 5, 2, DecimalSeparator()));
}

bool ParseDecimalText(const QString& text, float& value) {
  double number = 0;
  if (!ParseFloat(text.toStdString(), DecimalSeparator(), number)) return false;
  if (std::fabs(number) > std::numeric_limits<float>::max()) return false;
  value = static_cast<float>(number);
  return true;
}

int ParseDecimalField(QLineEdit* field, float& target) {
  if (ParseDecimalText(field->text(), target)) return 0;
  target = 0;
  Reject(field, kNotDecimal);
  return -1;
}

int ParseWholeField(QLineEdit* field, uint8_t& target) {
  long number = 0;
  if (ParseWholeText(field->text(), number)) {
    target = static_cast<uint8_t>(static_cast<unsigned long>(number) & 0xFFu);
    return 0;
  }
  target = 0;
  Reject(field, kNotWhole);
  return -1;
}

int ParseWholeField(QLineEdit* field, int32_t& target) {
  long number = 0;
  if (ParseWholeText(field->text(), number)) {
    // Beyond 32 bits only the low bits can reach the slot, as with a byte.
    target = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(number)));
    return 0;
  }
  target = 0;
  Reject(field, kNotWhole);
  return -1;
}

int CheckRange(long low, long high, long value) {
  if (value >= low && value <= high) return 0;
  Dialogs().Message(RangeMessage(low, high), QStringLiteral("EDIT"), DialogIcon::kError,
                    DialogButtons::kOk);
  return -1;
}

}  // namespace rq30
