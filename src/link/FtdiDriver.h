#pragma once
// The FTDI driver underneath D2XXUnit, shaped after what the program needs of
// a D2XX library. Two implementations: LibFtdiDriver (libftdi1, real
// encoders) and SimulatedFtdiBus (sim/, tests and the demo). Every call
// answers a D2XX status: 0 success, 1 invalid handle, 2 device not found,
// 3 device not opened, 4 I/O error, 5 insufficient resources, 6 invalid
// parameter, 7 invalid baud rate.

#include <QByteArray>
#include <QtGlobal>

namespace brevolan {

using FtStatus = quint32;
using FtHandleValue = quintptr;

namespace ftstatus {
inline constexpr FtStatus Ok = 0;
inline constexpr FtStatus InvalidHandle = 1;
inline constexpr FtStatus DeviceNotFound = 2;
inline constexpr FtStatus DeviceNotOpened = 3;
inline constexpr FtStatus IoError = 4;
inline constexpr FtStatus InsufficientResources = 5;
inline constexpr FtStatus InvalidParameter = 6;
inline constexpr FtStatus InvalidBaudRate = 7;
} // namespace ftstatus

class FtdiDriver {
public:
    virtual ~FtdiDriver() = default;

    // Listing: the number of attached FTDI devices, then one string of the
    // device at an index (NUL-free, as the chip reports it).
    virtual FtStatus deviceCount(quint32 &count) = 0;
    virtual FtStatus serialNumber(quint32 index, QByteArray &serial) = 0;
    virtual FtStatus description(quint32 index, QByteArray &description) = 0;

    // One device is open at a time; the handle names it. Calls with a handle
    // that names no open device answer InvalidHandle.
    virtual FtStatus openBySerial(const QByteArray &serial, FtHandleValue &handle) = 0;
    virtual FtStatus close(FtHandleValue handle) = 0;
    virtual FtStatus resetDevice(FtHandleValue handle) = 0;
    virtual FtStatus setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs) = 0;
    virtual FtStatus setBaudRate(FtHandleValue handle, quint32 baud) = 0;
    virtual FtStatus setDataCharacteristics(FtHandleValue handle, quint8 wordLength,
                                            quint8 stopBits, quint8 parity) = 0;
    virtual FtStatus setFlowControl(FtHandleValue handle, quint16 flow, quint8 xon, quint8 xoff) = 0;
    // mask 1: receive, 2: transmit.
    virtual FtStatus purge(FtHandleValue handle, quint32 mask) = 0;
    // Received bytes not yet read.
    virtual FtStatus queueStatus(FtHandleValue handle, quint32 &bytes) = 0;
    // Returns when count bytes have been read or the read time-out has
    // passed; a time-out is no failure (fewer bytes, status 0).
    virtual FtStatus read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got) = 0;
    virtual FtStatus write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                           quint32 &written) = 0;
};

} // namespace brevolan
