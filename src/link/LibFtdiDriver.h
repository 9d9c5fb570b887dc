#pragma once
// The FTDI driver on Linux: libftdi1 (over libusb), shaped to answer as the
// D2XX library would. FTDI's vendor 0x0403 with the product ids of the
// FT232R/FT2232/FT4232/FT232H/FT230X families. One device is open at a time.

#include "link/FtdiDriver.h"

#include <deque>

struct ftdi_context;

namespace brevolan {

class LibFtdiDriver : public FtdiDriver {
public:
    LibFtdiDriver() = default;
    ~LibFtdiDriver() override;
    LibFtdiDriver(const LibFtdiDriver &) = delete;
    LibFtdiDriver &operator=(const LibFtdiDriver &) = delete;

    FtStatus deviceCount(quint32 &count) override;
    FtStatus serialNumber(quint32 index, QByteArray &serial) override;
    FtStatus description(quint32 index, QByteArray &description) override;
    FtStatus openBySerial(const QByteArray &serial, FtHandleValue &handle) override;
    FtStatus close(FtHandleValue handle) override;
    FtStatus resetDevice(FtHandleValue handle) override;
    FtStatus setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs) override;
    FtStatus setBaudRate(FtHandleValue handle, quint32 baud) override;
    FtStatus setDataCharacteristics(FtHandleValue handle, quint8 wordLength, quint8 stopBits,
                                    quint8 parity) override;
    FtStatus setFlowControl(FtHandleValue handle, quint16 flow, quint8 xon, quint8 xoff) override;
    FtStatus purge(FtHandleValue handle, quint32 mask) override;
    FtStatus queueStatus(FtHandleValue handle, quint32 &bytes) override;
    FtStatus read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got) override;
    FtStatus write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                   quint32 &written) override;

private:
    bool isOpen(FtHandleValue handle) const { return m_ctx && handle != 0 && handle == m_handle; }
    FtStatus listedString(quint32 index, bool wantSerial, QByteArray &text);
    // One bulk read into the read-ahead; the libftdi result.
    int pump();

    ftdi_context *m_ctx = nullptr;       // the open device; listings use contexts of their own
    FtHandleValue m_handle = 0;
    FtHandleValue m_lastHandle = 0;      // every open hands out a new handle value
    std::deque<quint8> m_readAhead;      // received, not yet read: the queue status
    quint32 m_readTimeoutMs = 500;
};

} // namespace brevolan
