#include "operator_dialogs.h"

#include "qt_operator_dialogs.h"

namespace rq30 {
namespace {

OperatorDialogs* installed = nullptr;

}  // namespace

OperatorDialogs& Dialogs() {
  static QtOperatorDialogs real;
  return installed != nullptr ? *installed : real;
}

void InstallDialogs(OperatorDialogs* dialogs) {
  installed = dialogs;
}

}  // namespace rq30
