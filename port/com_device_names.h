// Which device a COM entry of the port dialog opens on this machine, in the
// words an operator checks against `ls -l /dev/serial/by-id`.
#pragma once

#include <QString>

namespace rq30 {

// On Linux: what the user's COMn link points to (as written in the link, so
// a /dev/serial/by-id/... name stays readable), or the on-board port COMn
// falls back to. Empty where COM names are the system's own (Windows).
QString ComDeviceName(int number);

}  // namespace rq30
