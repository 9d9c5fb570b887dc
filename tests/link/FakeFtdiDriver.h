#pragma once
// A scripted FTDI bus for the USB layer's tests: devices by serial number,
// an inbox of received bytes that read() waits on up to the read time-out,
// a log of every call, an answer hook for every write, and failures to
// inject. Feeding and unplugging may happen from another thread.

#include "link/FtdiDriver.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

namespace brevolan::test {

class FakeFtdiDriver : public FtdiDriver {
public:
    struct Device {
        QByteArray serial;
        QByteArray description;
    };

    QList<Device> devices;
    // Listing index -> status the serial-number/description call answers.
    std::map<quint32, FtStatus> failSerialAt;
    // Queue-status calls still to answer Ok before the next ones fail with 4.
    int queueStatusOkCalls = -1;
    // Answers every write (the bytes written); the answer lands in the inbox.
    std::function<QByteArray(const QByteArray &)> onWrite;

    void feed(const QByteArray &bytes);
    // The device disappears: I/O answers 4, the open fails with 2.
    void unplug();
    QByteArray inbox() const;
    QStringList log() const;
    void clearLog();
    quint32 readTimeoutMs() const;

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
    FtStatus check(FtHandleValue handle) const;   // caller holds the lock
    void note(const QString &entry);               // caller holds the lock

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    QByteArray m_inbox;
    QStringList m_log;
    FtHandleValue m_open = 0;
    FtHandleValue m_last = 0;
    bool m_unplugged = false;
    quint32 m_readTimeoutMs = 500;
};

} // namespace brevolan::test
