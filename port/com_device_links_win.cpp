// Windows names its COM ports itself: there is nothing to map.
#include "com_device_links.h"

namespace rq30 {

bool DeviceMappingAvailable() { return false; }
QStringList SerialDevices(const std::string&) { return {}; }
LinkState ComLinkState(int) { return LinkState::kNone; }
bool MapCom(int, const QString&) { return false; }
bool NotInDeviceGroup(const DeviceAccess&, unsigned, const std::vector<unsigned>&) { return false; }
QString MissingGroup(const QString&) { return QString(); }

}  // namespace rq30
