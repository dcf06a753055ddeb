#include "field_parsers.h"

#include <QLineEdit>

#include "field_check.h"
#include "fixed_text.h"
#include "operator_dialogs.h"
#include "param_values.h"

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
  return paramset::ParseWholeText(text.toStdString(), number);
}

}  // namespace

QString DecimalText(float value) {
  return QString::fromStdString(paramset::FloatText(value, DecimalSeparator()));
}

bool ParseDecimalText(const QString& text, float& value) {
  return paramset::ParseFloatText(text.toStdString(), DecimalSeparator(), value);
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
    target = paramset::ByteOf(number);
    return 0;
  }
  target = 0;
  Reject(field, kNotWhole);
  return -1;
}

int ParseWholeField(QLineEdit* field, int32_t& target) {
  long number = 0;
  if (ParseWholeText(field->text(), number)) {
    target = paramset::Int32Of(number);
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
