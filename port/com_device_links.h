// Mapping a COM entry to one of the machine's serial devices from the port
// dialog (Linux): the link ConfigDir()/COMn that SerialPort follows. A link
// the program made is listed in ConfigDir()/com-links, one "COMn target"
// a line; any other link is the user's or the simulator's and is replaced
// only when the operator agrees. On Windows the COM names are the system's
// own: nothing to list, nothing to map.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace rq30 {

// Whether this platform maps COM names to devices at all.
bool DeviceMappingAvailable();

// The serial devices under `devRoot` (normally "/dev"): the stable
// serial/by-id names first, then ttyUSB*, ttyACM* and ttyS* in their order.
QStringList SerialDevices(const std::string& devRoot = "/dev");

enum class LinkState { kNone, kOurs, kForeign };
// What ConfigDir()/COMn is now: nothing, a link this program made (still
// pointing where it left it), or something else.
LinkState ComLinkState(int number);

// Makes ConfigDir()/COMn point to `device`, replacing what is there (ask
// first when ComLinkState says kForeign). Returns false when the link could
// not be made.
bool MapCom(int number, const QString& device);

// A device node the user may not open: it belongs to a group (dialout) he
// is not in. `groups` are the user's groups, effective one included; the
// owner and root may open it anyway, and so may anyone if it is open to all.
struct DeviceAccess {
  unsigned mode = 0;  // st_mode permission bits
  unsigned owner = 0;
  unsigned group = 0;
};
bool NotInDeviceGroup(const DeviceAccess& device, unsigned uid, const std::vector<unsigned>& groups);

// For the device node itself: the name of its group when the running user
// is not in it and cannot open the node because of that; empty otherwise.
QString MissingGroup(const QString& device);

}  // namespace rq30
