#pragma once
// FTDI devices that tests and the demo attach and detach, each wired to an
// EncoderEngine (a null engine: a foreign FTDI device that never answers).
// Implements the FtdiDriver calls with D2XX statuses:
// - read() blocks up to the read time-out of setTimeouts when nothing is
//   waiting (a time-out is no failure: fewer bytes, status 0);
// - queueStatus() reports received bytes not yet read, purge() discards;
// - a detached (or unplugged) device answers IoError for I/O while nothing
//   is left to read, and opening it answers DeviceNotFound;
// - bytes pass only while setBaudRate() equals the engine's line speed;
//   otherwise both directions are garbled, as on a real line.
// Replies arrive paced at the baud rate (10 bits per byte) after the
// engine's reply delay. Thread-safe: detach() may come from another thread
// while read() waits.

#include "link/FtdiDriver.h"
#include "sim/EncoderEngine.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace brevolan::sim {

class SimulatedFtdiBus : public QObject, public brevolan::FtdiDriver {
    Q_OBJECT
public:
    explicit SimulatedFtdiBus(QObject *parent = nullptr);
    ~SimulatedFtdiBus() override;

    // Attaching a serial number already attached replaces that device.
    void attach(const QByteArray &serial, const QByteArray &description,
                std::shared_ptr<EncoderEngine> engine = nullptr);
    void detach(const QByteArray &serial);
    bool isAttached(const QByteArray &serial) const;
    bool isOpen(const QByteArray &serial) const;
    int resetCount(const QByteArray &serial) const;    // FT_ResetDevice calls seen
    int purgeCount(const QByteArray &serial) const;    // purge calls seen
    quint32 baudRate(const QByteArray &serial) const;  // last set baud rate (9600 after open)
    quint32 readTimeout(const QByteArray &serial) const;
    std::shared_ptr<EncoderEngine> engine(const QByteArray &serial) const;
    void setPaced(bool paced);                         // default true

    // The calls failNext() can make fail.
    enum class Call { DeviceCount, SerialNumber, Description, Open, Close, Reset, SetTimeouts,
                      SetBaudRate, SetDataCharacteristics, SetFlowControl, Purge, QueueStatus,
                      Read, Write };
    // The next call of that kind answers status (and does nothing else).
    void failNext(Call call, FtStatus status);

    // FtdiDriver
    FtStatus deviceCount(quint32 &count) override;
    FtStatus serialNumber(quint32 index, QByteArray &serial) override;
    FtStatus description(quint32 index, QByteArray &description) override;
    FtStatus openBySerial(const QByteArray &serial, FtHandleValue &handle) override;
    FtStatus close(FtHandleValue handle) override;
    FtStatus resetDevice(FtHandleValue handle) override;
    FtStatus setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs) override;
    FtStatus setBaudRate(FtHandleValue handle, quint32 baud) override;
    FtStatus setDataCharacteristics(FtHandleValue handle, quint8 wordLength,
                                    quint8 stopBits, quint8 parity) override;
    FtStatus setFlowControl(FtHandleValue handle, quint16 flow, quint8 xon, quint8 xoff) override;
    FtStatus purge(FtHandleValue handle, quint32 mask) override;
    FtStatus queueStatus(FtHandleValue handle, quint32 &bytes) override;
    FtStatus read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got) override;
    FtStatus write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                   quint32 &written) override;

signals:
    void deviceArrived();   // raised by attach
    void deviceRemoved();   // raised by detach

private:
    struct Pending {        // one byte the encoder sent, and when it arrives
        quint8 byte;
        qint64 dueUs;
        bool noise;
        quint32 speed;      // the encoder's line speed as it sent the byte
    };
    struct Device {
        QByteArray serial;
        QByteArray description;
        std::shared_ptr<EncoderEngine> engine;
        bool present = true;
        bool removalSignalled = false;
        qint64 unplugAtUs = -1;             // the unplug fault pulls the cable then
        FtHandleValue handle = 0;           // 0: not open
        quint32 baud = 9600;
        quint8 wordLength = 8;
        quint8 stopBits = 0;
        quint8 parity = 0;
        quint32 readTimeoutMs = DefaultReadTimeoutMs;
        quint32 writeTimeoutMs = 0;
        // Until speedSwitchUs the encoder's line still runs at previousSpeed
        // (a SPEED=n reply leaves at the old speed); then at the engine's.
        quint32 previousSpeed = 9600;
        qint64 speedSwitchUs = 0;
        qint64 lineFreeUs = 0;              // when the encoder may send again
        std::deque<Pending> rx;
        int resets = 0;
        int purges = 0;
    };

public:
    // Until setTimeouts: a bounded wait, so that a forgotten set-up cannot
    // hang a test (libftdi's own default is the same 5 s).
    static constexpr quint32 DefaultReadTimeoutMs = 5000;

private:
    Device *byHandle(FtHandleValue handle) const;       // mutex held
    Device *bySerial(const QByteArray &serial) const;   // mutex held; present devices only
    std::vector<Device *> listed(qint64 now);           // mutex held
    bool takeFailure(Call call, FtStatus &status);      // mutex held
    bool gone(Device &d, qint64 now);                   // mutex held; notes a removal
    void deliver(Device &d, const QList<EncoderReply> &replies, qint64 now);
    void topUpNoise(Device &d, qint64 now);
    bool lineMatches(const Device &d, quint32 encoderSpeed) const;
    qint64 nowUs() const;
    static quint32 dueCount(const Device &d, qint64 now);
    void signalRemovals();                              // mutex not held

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    // In the order of attaching, which is the order of the listing. A device
    // detached while open stays here, no longer present, until it is closed.
    FtStatus deviceFor(Call call, FtHandleValue handle, Device *&d); // mutex held
    // Calls of one kind seen by the devices attached under a serial number.
    int callCount(const QByteArray &serial, int Device::*counter) const;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<Call, FtStatus> m_failures;
    FtHandleValue m_nextHandle = 1;
    bool m_paced = true;
    int m_unsignalledRemovals = 0;
    QElapsedTimer m_clock;
};

} // namespace brevolan::sim
