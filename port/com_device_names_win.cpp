#include "com_device_names.h"

namespace rq30 {

// COMn is the system's own name for the line; there is nothing to add.
QString ComDeviceName(int) {
  return QString();
}

}  // namespace rq30
