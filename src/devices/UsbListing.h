#pragma once
// One pass over the attached FTDI devices through D2XXUnit's listing calls.
// Every call's status is kept: a failed call leaves D2XXUnit's listed text at
// the previous device's string, which must never be taken for this device's.

#include <QList>
#include <QString>

namespace brevolan {

struct ListedFtdiDevice {
    quint32 index = 0;            // position in the library's list, from 0
    QString serialNumber;
    QString description;
    bool serialNumberRead = false;
    bool descriptionRead = false;
};

struct FtdiListing {
    bool countRead = false;       // false: the device count could not be read
    QList<ListedFtdiDevice> devices;
};

// GetFTDeviceCount, then GetFTDeviceSerialNo (and GetFTDeviceDescription
// when asked for) for each index.
FtdiListing listFtdiDevices(bool withDescriptions);

} // namespace brevolan
