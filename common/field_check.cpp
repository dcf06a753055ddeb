#include "field_check.h"

#include <QLineEdit>

#include "number_text.h"
#include "operator_dialogs.h"

namespace rq30 {

QString RangeMessage(long low, long high) {
  return QStringLiteral("Je nutné zadávat pouze čísla v rozsahu %1 až %2\n").arg(low).arg(high);
}

int CheckInteger(QLineEdit* field, const QString& message, const QString& resetText) {
  long number = 0;
  if (ParseInt(field->text().toStdString(), number)) return 0;
  Dialogs().Message(message, QStringLiteral("CHYBA"), DialogIcon::kWarning, DialogButtons::kOk);
  field->setText(resetText);
  field->setFocus();
  return -1;
}

int CheckRange(QLineEdit* field, long low, long high, const QString& message) {
  long number = 0;
  if (ParseInt(field->text().toStdString(), number) && number >= low && number <= high) return 0;
  Dialogs().Message(message, QStringLiteral("EDIT"), DialogIcon::kError, DialogButtons::kOk);
  return -1;
}

}  // namespace rq30
