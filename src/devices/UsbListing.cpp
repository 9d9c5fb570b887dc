#include "devices/UsbListing.h"

#include "link/D2XXUnit.h"

namespace brevolan {

FtdiListing listFtdiDevices(bool withDescriptions)
{
    FtdiListing listing;
    if (GetFTDeviceCount() != ftstatus::Ok)
        return listing;
    listing.countRead = true;
    const quint32 count = FtDeviceCount;
    for (quint32 i = 0; i < count; ++i) {
        ListedFtdiDevice d;
        d.index = i;
        if (GetFTDeviceSerialNo(i) == ftstatus::Ok) {
            d.serialNumberRead = true;
            d.serialNumber = FtListedText;
        }
        if (withDescriptions && GetFTDeviceDescription(i) == ftstatus::Ok) {
            d.descriptionRead = true;
            d.description = FtListedText;
        }
        listing.devices.append(d);
    }
    return listing;
}

} // namespace brevolan
