#pragma once
#include <QString>

namespace brevolan {

// True when an attached FTDI device carries the serial number of devId. The
// serial numbers are compared without regard to letter case: a stored "2,
// ft12ab" finds the device listed as "FT12AB". A count that cannot be read
// means no device; a serial number that cannot be read matches nothing.
bool UsbDevicePresent(const QString &devId);

} // namespace brevolan
