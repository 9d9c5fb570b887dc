#include "devices/UsbDevicePresent.h"

#include "devices/AsciiCase.h"
#include "devices/UsbListing.h"
#include "link/DeviceId.h"

namespace brevolan {

bool UsbDevicePresent(const QString &devId)
{
    const FtdiListing listing = listFtdiDevices(false);
    if (!listing.countRead || listing.devices.isEmpty())
        return false;
    const QString wanted = presenceSerialOf(devId);
    for (const ListedFtdiDevice &d : listing.devices) {
        if (d.serialNumberRead && asciiEqualsIgnoreCase(d.serialNumber, wanted))
            return true;
    }
    return false;
}

} // namespace brevolan
