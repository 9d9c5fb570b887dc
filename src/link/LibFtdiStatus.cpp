#include "link/LibFtdiStatus.h"

namespace brevolan::libftdi {

FtStatus findAllStatus(int rc)
{
    if (rc >= 0)
        return ftstatus::Ok;
    return rc == -3 ? ftstatus::InsufficientResources : ftstatus::IoError;
}

FtStatus getStringsStatus(int rc)
{
    if (rc >= 0)
        return ftstatus::Ok;
    return rc == -4 ? ftstatus::DeviceNotOpened : ftstatus::IoError;
}

FtStatus openDevStatus(int rc)
{
    if (rc >= 0)
        return ftstatus::Ok;
    switch (rc) {
    case -4: case -5: case -8:
        return ftstatus::DeviceNotOpened;
    case -6: case -7:
        return ftstatus::IoError;
    default:
        return ftstatus::DeviceNotOpened;
    }
}

FtStatus baudRateStatus(int rc)
{
    if (rc >= 0)
        return ftstatus::Ok;
    return rc == -1 ? ftstatus::InvalidBaudRate : ftstatus::IoError;
}

FtStatus transferStatus(int rc) { return rc >= 0 ? ftstatus::Ok : ftstatus::IoError; }

bool validDataCharacteristics(quint8 wordLength, quint8 stopBits, quint8 parity)
{
    return (wordLength == 7 || wordLength == 8) && stopBits <= 2 && parity <= 4;
}

bool validFlowControl(quint16 flow)
{
    return flow == 0 || flow == 0x100 || flow == 0x200 || flow == 0x400;
}

} // namespace brevolan::libftdi
