#include "program_icon.h"

#include <QString>

// The resource lives in a static library: nothing would pull its object file
// into the program unless it is named here. Must be outside any namespace.
static void InitRecordsResources() {
  Q_INIT_RESOURCE(records);
}

namespace rq30 {

namespace {
const QString kPicturePath = QStringLiteral(":/rq30/rq30.png");
}

QPixmap ProgramPicture() {
  static const bool registered = (InitRecordsResources(), true);
  (void)registered;
  return QPixmap(kPicturePath);
}

QIcon ProgramIcon() {
  return QIcon(ProgramPicture());
}

}  // namespace rq30
