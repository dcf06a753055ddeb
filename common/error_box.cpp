#include "error_box.h"

#include "operator_dialogs.h"

namespace rq30 {

void ShowError(const QString& message) {
  Dialogs().Message(message, QStringLiteral("RQ-30"), DialogIcon::kError, DialogButtons::kOk);
}

}  // namespace rq30
