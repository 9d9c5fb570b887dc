#include "sim/SimulatedFtdiBus.h"

#include <QMutexLocker>
#include <algorithm>

namespace brevolan::sim {

namespace {

// Time for one byte at baud on the line: 10 bits (8N1), in microseconds.
qint64 byteTimeUs(quint32 baud)
{
    return baud ? 10'000'000 / baud : 0;
}

// Noise is made ahead of the reader by this much, no more.
constexpr qint64 NoiseAheadUs = 50'000;
// Without pacing, noise still flows at a finite rate.
constexpr qint64 UnpacedNoiseByteUs = 100;
// A chip's receive buffer is finite; what overflows it is lost.
constexpr std::size_t RxCapacity = 65536;

} // namespace

SimulatedFtdiBus::SimulatedFtdiBus(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
}

SimulatedFtdiBus::~SimulatedFtdiBus()
{
    QMutexLocker lock(&m_mutex);
    for (auto &d : m_devices)
        d->present = false;
    m_changed.wakeAll();
}

qint64 SimulatedFtdiBus::nowUs() const
{
    return m_clock.nsecsElapsed() / 1000;
}

void SimulatedFtdiBus::attach(const QByteArray &serial, const QByteArray &description,
                              std::shared_ptr<EncoderEngine> engine)
{
    {
        QMutexLocker lock(&m_mutex);
        // The same serial number plugged in again replaces the old device.
        for (auto it = m_devices.begin(); it != m_devices.end();) {
            Device &d = **it;
            if (d.serial == serial && d.present) {
                d.present = false;
                d.removalSignalled = true;
                if (!d.handle) {
                    it = m_devices.erase(it);
                    continue;
                }
            }
            ++it;
        }
        auto d = std::make_unique<Device>();
        d->serial = serial;
        d->description = description;
        d->engine = std::move(engine);
        if (d->engine)
            d->previousSpeed = d->engine->lineSpeed();
        m_devices.push_back(std::move(d));
        m_changed.wakeAll();
    }
    emit deviceArrived();
}

void SimulatedFtdiBus::detach(const QByteArray &serial)
{
    bool found = false;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_devices.begin(); it != m_devices.end();) {
            Device &d = **it;
            if (d.serial == serial && d.present) {
                found = true;
                d.present = false;
                d.removalSignalled = true;
                if (!d.handle) {
                    it = m_devices.erase(it);
                    continue;
                }
            }
            ++it;
        }
        m_changed.wakeAll();
    }
    if (found)
        emit deviceRemoved();
    signalRemovals();
}

bool SimulatedFtdiBus::gone(Device &d, qint64 now)
{
    if (d.present && d.unplugAtUs >= 0 && now >= d.unplugAtUs) {
        d.present = false;
        m_changed.wakeAll();
    }
    if (!d.present && !d.removalSignalled) {
        d.removalSignalled = true;
        ++m_unsignalledRemovals;
    }
    return !d.present;
}

void SimulatedFtdiBus::signalRemovals()
{
    int n = 0;
    {
        QMutexLocker lock(&m_mutex);
        n = m_unsignalledRemovals;
        m_unsignalledRemovals = 0;
    }
    while (n-- > 0)
        emit deviceRemoved();
}

SimulatedFtdiBus::Device *SimulatedFtdiBus::byHandle(FtHandleValue handle) const
{
    if (!handle)
        return nullptr;
    for (const auto &d : m_devices) {
        if (d->handle == handle)
            return d.get();
    }
    return nullptr;
}

SimulatedFtdiBus::Device *SimulatedFtdiBus::bySerial(const QByteArray &serial) const
{
    for (const auto &d : m_devices) {
        if (d->present && d->serial == serial)
            return d.get();
    }
    return nullptr;
}

std::vector<SimulatedFtdiBus::Device *> SimulatedFtdiBus::listed(qint64 now)
{
    std::vector<Device *> out;
    for (auto &d : m_devices) {
        if (!gone(*d, now))
            out.push_back(d.get());
    }
    return out;
}

bool SimulatedFtdiBus::isAttached(const QByteArray &serial) const
{
    QMutexLocker lock(&m_mutex);
    const Device *d = bySerial(serial);
    return d && !(d->unplugAtUs >= 0 && nowUs() >= d->unplugAtUs);
}

bool SimulatedFtdiBus::isOpen(const QByteArray &serial) const
{
    QMutexLocker lock(&m_mutex);
    return std::any_of(m_devices.begin(), m_devices.end(), [&](const auto &d) {
        return d->serial == serial && d->handle != 0;
    });
}

int SimulatedFtdiBus::callCount(const QByteArray &serial, int Device::*counter) const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const auto &d : m_devices)
        n += d->serial == serial ? (*d).*counter : 0;
    return n;
}

int SimulatedFtdiBus::resetCount(const QByteArray &serial) const { return callCount(serial, &Device::resets); }

int SimulatedFtdiBus::purgeCount(const QByteArray &serial) const { return callCount(serial, &Device::purges); }

quint32 SimulatedFtdiBus::baudRate(const QByteArray &serial) const
{
    QMutexLocker lock(&m_mutex);
    for (auto it = m_devices.rbegin(); it != m_devices.rend(); ++it) {
        if ((*it)->serial == serial)
            return (*it)->baud;
    }
    return 0;
}

quint32 SimulatedFtdiBus::readTimeout(const QByteArray &serial) const
{
    QMutexLocker lock(&m_mutex);
    for (auto it = m_devices.rbegin(); it != m_devices.rend(); ++it) {
        if ((*it)->serial == serial)
            return (*it)->readTimeoutMs;
    }
    return 0;
}

std::shared_ptr<EncoderEngine> SimulatedFtdiBus::engine(const QByteArray &serial) const
{
    QMutexLocker lock(&m_mutex);
    for (auto it = m_devices.rbegin(); it != m_devices.rend(); ++it) {
        if ((*it)->serial == serial)
            return (*it)->engine;
    }
    return nullptr;
}

void SimulatedFtdiBus::setPaced(bool paced)
{
    QMutexLocker lock(&m_mutex);
    m_paced = paced;
}

void SimulatedFtdiBus::failNext(Call call, FtStatus status)
{
    QMutexLocker lock(&m_mutex);
    m_failures[call] = status;
}

bool SimulatedFtdiBus::takeFailure(Call call, FtStatus &status)
{
    const auto it = m_failures.find(call);
    if (it == m_failures.end())
        return false;
    status = it->second;
    m_failures.erase(it);
    return true;
}

bool SimulatedFtdiBus::lineMatches(const Device &d, quint32 encoderSpeed) const
{
    // The encoder runs 8N1; a chip set otherwise hears and sends garbage.
    return d.baud == encoderSpeed && d.wordLength == 8 && d.parity == 0 && d.stopBits == 0;
}

quint32 SimulatedFtdiBus::dueCount(const Device &d, qint64 now)
{
    quint32 n = 0;
    for (const Pending &p : d.rx) {
        if (p.dueUs > now)
            break;
        ++n;
    }
    return n;
}

void SimulatedFtdiBus::deliver(Device &d, const QList<EncoderReply> &replies, qint64 now)
{
    for (const EncoderReply &r : replies) {
        qint64 t = std::max(now + qint64(r.delayMs) * 1000, d.lineFreeUs);
        const qint64 step = m_paced ? byteTimeUs(r.lineSpeed) : 0;
        for (char c : r.bytes) {
            t += step;
            if (d.rx.size() < RxCapacity)
                d.rx.push_back({quint8(c), t, false, r.lineSpeed});
        }
        d.lineFreeUs = t;
        d.previousSpeed = r.lineSpeed;
        d.speedSwitchUs = t;
    }
    m_changed.wakeAll();
}

void SimulatedFtdiBus::topUpNoise(Device &d, qint64 now)
{
    if (!d.engine || !d.present || d.unplugAtUs >= 0 || !d.engine->noisy())
        return;
    const qint64 step = m_paced ? std::max<qint64>(1, byteTimeUs(d.engine->lineSpeed())) : UnpacedNoiseByteUs;
    qint64 t = std::max(now, d.lineFreeUs);
    if (t >= now + NoiseAheadUs)
        return;
    const int n = int((now + NoiseAheadUs - t) / step) + 1;
    const QByteArray noise = EncoderEngine::noiseBytes(n);
    const quint32 speed = d.engine->lineSpeed();
    for (char c : noise) {
        t += step;
        if (d.rx.size() < RxCapacity)
            d.rx.push_back({quint8(c), t, true, speed});
    }
    d.lineFreeUs = t;
}

FtStatus SimulatedFtdiBus::deviceCount(quint32 &count)
{
    FtStatus status = ftstatus::Ok;
    {
        QMutexLocker lock(&m_mutex);
        if (takeFailure(Call::DeviceCount, status))
            return status;
        count = quint32(listed(nowUs()).size());
    }
    signalRemovals();
    return status;
}

FtStatus SimulatedFtdiBus::serialNumber(quint32 index, QByteArray &serial)
{
    QMutexLocker lock(&m_mutex);
    FtStatus status = ftstatus::Ok;
    if (takeFailure(Call::SerialNumber, status))
        return status;
    const auto devices = listed(nowUs());
    if (index >= devices.size())
        return ftstatus::DeviceNotFound;
    serial = devices[index]->serial;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::description(quint32 index, QByteArray &description)
{
    QMutexLocker lock(&m_mutex);
    FtStatus status = ftstatus::Ok;
    if (takeFailure(Call::Description, status))
        return status;
    const auto devices = listed(nowUs());
    if (index >= devices.size())
        return ftstatus::DeviceNotFound;
    description = devices[index]->description;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::openBySerial(const QByteArray &serial, FtHandleValue &handle)
{
    QMutexLocker lock(&m_mutex);
    FtStatus status = ftstatus::Ok;
    if (takeFailure(Call::Open, status))
        return status;
    Device *d = bySerial(serial);
    if (!d || serial.isEmpty() || gone(*d, nowUs()))
        return ftstatus::DeviceNotFound;
    if (d->handle)
        return ftstatus::DeviceNotOpened;   // another user has it
    d->handle = m_nextHandle++;
    d->baud = 9600;
    d->wordLength = 8;
    d->stopBits = 0;
    d->parity = 0;
    d->readTimeoutMs = DefaultReadTimeoutMs;
    d->writeTimeoutMs = 0;
    // Opening resets the chip: nothing received before is kept.
    d->rx.clear();
    handle = d->handle;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::close(FtHandleValue handle)
{
    QMutexLocker lock(&m_mutex);
    FtStatus status = ftstatus::Ok;
    if (takeFailure(Call::Close, status))
        return status;
    Device *d = byHandle(handle);
    if (!d)
        return ftstatus::InvalidHandle;
    d->handle = 0;
    d->rx.clear();
    if (!d->present) {
        m_devices.erase(std::find_if(m_devices.begin(), m_devices.end(),
                                     [d](const auto &p) { return p.get() == d; }));
    }
    m_changed.wakeAll();
    return ftstatus::Ok;
}

// With the bus locked: the failure injected for this call, else the device
// the handle names (InvalidHandle when none) if it is still attached
// (IoError once unplugged).
FtStatus SimulatedFtdiBus::deviceFor(Call call, FtHandleValue handle, Device *&d)
{
    FtStatus status = ftstatus::Ok;
    if (takeFailure(call, status))
        return status;
    d = byHandle(handle);
    if (!d)
        return ftstatus::InvalidHandle;
    if (gone(*d, nowUs()))
        return ftstatus::IoError;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::resetDevice(FtHandleValue handle)
{
    QMutexLocker lock(&m_mutex);
    Device *d = nullptr;
    if (const FtStatus status = deviceFor(Call::Reset, handle, d))
        return status;
    ++d->resets;
    d->rx.clear();
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs)
{
    QMutexLocker lock(&m_mutex);
    Device *d = nullptr;
    if (const FtStatus status = deviceFor(Call::SetTimeouts, handle, d))
        return status;
    d->readTimeoutMs = readMs;
    d->writeTimeoutMs = writeMs;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::setBaudRate(FtHandleValue handle, quint32 baud)
{
    QMutexLocker lock(&m_mutex);
    Device *d = nullptr;
    if (const FtStatus status = deviceFor(Call::SetBaudRate, handle, d))
        return status;
    // An FT232R divides 3 MHz; below 183 baud no divisor fits.
    if (baud < 183 || baud > 3'000'000)
        return ftstatus::InvalidBaudRate;
    d->baud = baud;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::setDataCharacteristics(FtHandleValue handle, quint8 wordLength,
                                                  quint8 stopBits, quint8 parity)
{
    QMutexLocker lock(&m_mutex);
    Device *d = nullptr;
    if (const FtStatus status = deviceFor(Call::SetDataCharacteristics, handle, d))
        return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return ftstatus::InvalidParameter;
    d->wordLength = wordLength;
    d->stopBits = stopBits;
    d->parity = parity;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::setFlowControl(FtHandleValue handle, quint16 flow, quint8, quint8)
{
    QMutexLocker lock(&m_mutex);
    Device *d = nullptr;
    if (const FtStatus status = deviceFor(Call::SetFlowControl, handle, d))
        return status;
    if (flow != 0 && flow != 0x100 && flow != 0x200 && flow != 0x400)
        return ftstatus::InvalidParameter;
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::purge(FtHandleValue handle, quint32 mask)
{
    QMutexLocker lock(&m_mutex);
    FtStatus status = ftstatus::Ok;
    if (takeFailure(Call::Purge, status))
        return status;
    Device *d = byHandle(handle);
    if (!d)
        return ftstatus::InvalidHandle;
    const qint64 now = nowUs();
    if (gone(*d, now))
        return ftstatus::IoError;
    if (mask == 0 || mask > 3)
        return ftstatus::InvalidParameter;
    ++d->purges;
    if (mask & 1) {
        // Bytes received so far go; a reply still on the wire arrives later.
        const quint32 due = dueCount(*d, now);
        d->rx.erase(d->rx.begin(), d->rx.begin() + due);
    }
    return ftstatus::Ok;
}

FtStatus SimulatedFtdiBus::queueStatus(FtHandleValue handle, quint32 &bytes)
{
    FtStatus status = ftstatus::Ok;
    {
        QMutexLocker lock(&m_mutex);
        if (takeFailure(Call::QueueStatus, status))
            return status;
        Device *d = byHandle(handle);
        if (!d)
            return ftstatus::InvalidHandle;
        const qint64 now = nowUs();
        topUpNoise(*d, now);
        const quint32 due = dueCount(*d, now);
        // What the chip received before the cable came out can still be read.
        if (gone(*d, now) && due == 0)
            status = ftstatus::IoError;
        else
            bytes = due;
    }
    signalRemovals();
    return status;
}

FtStatus SimulatedFtdiBus::read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got)
{
    got = 0;
    FtStatus status = ftstatus::Ok;
    {
        QMutexLocker lock(&m_mutex);
        if (takeFailure(Call::Read, status))
            return status;
        Device *d = byHandle(handle);
        if (!d)
            return ftstatus::InvalidHandle;
        if (count > 0 && !buffer)
            return ftstatus::InvalidParameter;
        const qint64 start = nowUs();
        const quint32 timeoutMs = d->readTimeoutMs;
        for (;;) {
            const qint64 now = nowUs();
            topUpNoise(*d, now);
            const quint32 due = dueCount(*d, now);
            if (due >= count || (timeoutMs && now - start >= qint64(timeoutMs) * 1000)
                || (gone(*d, now) && due == 0)) {
                const quint32 n = std::min(due, count);
                // The chip samples at its own rate as the bytes come in.
                for (quint32 i = 0; i < n; ++i) {
                    const Pending &p = d->rx[i];
                    buffer[i] = lineMatches(*d, p.speed)
                        ? p.byte
                        : quint8(EncoderEngine::garble(QByteArray(1, char(p.byte))).at(0));
                }
                d->rx.erase(d->rx.begin(), d->rx.begin() + n);
                got = n;
                if (n < count && !d->present)
                    status = ftstatus::IoError;
                break;
            }
            // Sleep until the next byte arrives, the time-out passes or the
            // device changes (detach, close).
            qint64 waitUs = timeoutMs ? qint64(timeoutMs) * 1000 - (now - start) : 1'000'000;
            if (due < d->rx.size())
                waitUs = std::min(waitUs, d->rx[due].dueUs - now);
            if (d->unplugAtUs >= 0 && d->present)
                waitUs = std::min(waitUs, d->unplugAtUs - now);
            m_changed.wait(&m_mutex, QDeadlineTimer(std::max<qint64>(1, (waitUs + 999) / 1000)));
            d = byHandle(handle);
            if (!d)   // closed meanwhile
                return ftstatus::InvalidHandle;
        }
    }
    signalRemovals();
    return status;
}

FtStatus SimulatedFtdiBus::write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                                 quint32 &written)
{
    written = 0;
    FtStatus status = ftstatus::Ok;
    {
        QMutexLocker lock(&m_mutex);
        if (takeFailure(Call::Write, status))
            return status;
        Device *d = byHandle(handle);
        if (!d)
            return ftstatus::InvalidHandle;
        if (count > 0 && !buffer)
            return ftstatus::InvalidParameter;
        const qint64 now = nowUs();
        if (gone(*d, now))
            status = ftstatus::IoError;
        else if (d->engine && d->unplugAtUs < 0) {
            QByteArray bytes(reinterpret_cast<const char *>(buffer), int(count));
            const quint32 hearing = now < d->speedSwitchUs ? d->previousSpeed : d->engine->lineSpeed();
            if (!lineMatches(*d, hearing))
                bytes = EncoderEngine::garble(bytes);
            // A new command ends the noise of the last one.
            while (!d->rx.empty() && d->rx.back().noise && d->rx.back().dueUs > now)
                d->rx.pop_back();
            d->lineFreeUs = d->rx.empty() ? 0 : std::max(now, d->rx.back().dueUs);
            deliver(*d, d->engine->feedReplies(bytes), now);
            if (d->engine->unplugged())
                d->unplugAtUs = std::max(now, d->lineFreeUs);
            written = count;
        } else {
            written = count;   // a foreign device takes the bytes and says nothing
        }
    }
    signalRemovals();
    return status;
}

} // namespace brevolan::sim
