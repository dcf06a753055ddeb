#include "error_box.h"

#include "live_boxes.h"

namespace rq30 {

void ShowError(const QString& message) {
  // Inside the live cycle the box waits until the timer handler has returned.
  ShowBox(message, QStringLiteral("RQ-30"), DialogIcon::kError);
}

}  // namespace rq30
