#include "FakeFtdiDriver.h"

#include <chrono>
#include <cstring>

namespace brevolan::test {

void FakeFtdiDriver::feed(const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    m_inbox += bytes;
    m_arrived.notify_all();
}

void FakeFtdiDriver::unplug()
{
    std::lock_guard lock(m_mutex);
    m_unplugged = true;
    m_arrived.notify_all();
}

QByteArray FakeFtdiDriver::inbox() const
{
    std::lock_guard lock(m_mutex);
    return m_inbox;
}

QStringList FakeFtdiDriver::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void FakeFtdiDriver::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

quint32 FakeFtdiDriver::readTimeoutMs() const
{
    std::lock_guard lock(m_mutex);
    return m_readTimeoutMs;
}

FtStatus FakeFtdiDriver::check(FtHandleValue handle) const
{
    if (handle == 0 || handle != m_open)
        return ftstatus::InvalidHandle;
    return m_unplugged ? ftstatus::IoError : ftstatus::Ok;
}

void FakeFtdiDriver::note(const QString &entry) { m_log << entry; }

FtStatus FakeFtdiDriver::deviceCount(quint32 &count)
{
    std::lock_guard lock(m_mutex);
    count = m_unplugged ? 0 : static_cast<quint32>(devices.size());
    return ftstatus::Ok;
}

FtStatus FakeFtdiDriver::serialNumber(quint32 index, QByteArray &serial)
{
    std::lock_guard lock(m_mutex);
    if (auto it = failSerialAt.find(index); it != failSerialAt.end())
        return it->second;
    if (index >= static_cast<quint32>(devices.size()))
        return ftstatus::DeviceNotFound;
    serial = devices.at(index).serial;
    return ftstatus::Ok;
}

FtStatus FakeFtdiDriver::description(quint32 index, QByteArray &description)
{
    std::lock_guard lock(m_mutex);
    if (auto it = failSerialAt.find(index); it != failSerialAt.end())
        return it->second;
    if (index >= static_cast<quint32>(devices.size()))
        return ftstatus::DeviceNotFound;
    description = devices.at(index).description;
    return ftstatus::Ok;
}

FtStatus FakeFtdiDriver::openBySerial(const QByteArray &serial, FtHandleValue &handle)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("open %1").arg(QString::fromLatin1(serial)));
    if (m_unplugged)
        return ftstatus::DeviceNotFound;
    for (const Device &d : devices) {
        if (d.serial == serial) {
            if (m_open)
                return ftstatus::DeviceNotOpened;
            m_open = handle = ++m_last;
            return ftstatus::Ok;
        }
    }
    return ftstatus::DeviceNotFound;
}

FtStatus FakeFtdiDriver::close(FtHandleValue handle)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("close"));
    if (handle == 0 || handle != m_open)
        return ftstatus::InvalidHandle;
    m_open = 0;
    return ftstatus::Ok;
}

FtStatus FakeFtdiDriver::resetDevice(FtHandleValue handle)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("reset"));
    return check(handle);
}

FtStatus FakeFtdiDriver::setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("timeouts %1 %2").arg(readMs).arg(writeMs));
    const FtStatus status = check(handle);
    if (status == ftstatus::Ok)
        m_readTimeoutMs = readMs;
    return status;
}

FtStatus FakeFtdiDriver::setBaudRate(FtHandleValue handle, quint32 baud)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("baud %1").arg(baud));
    return check(handle);
}

FtStatus FakeFtdiDriver::setDataCharacteristics(FtHandleValue handle, quint8 wordLength,
                                                quint8 stopBits, quint8 parity)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("data %1 %2 %3").arg(wordLength).arg(stopBits).arg(parity));
    return check(handle);
}

FtStatus FakeFtdiDriver::setFlowControl(FtHandleValue handle, quint16 flow, quint8 xon, quint8 xoff)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("flow %1 %2 %3").arg(flow).arg(xon).arg(xoff));
    return check(handle);
}

FtStatus FakeFtdiDriver::purge(FtHandleValue handle, quint32 mask)
{
    std::lock_guard lock(m_mutex);
    note(QStringLiteral("purge %1").arg(mask));
    const FtStatus status = check(handle);
    if (status == ftstatus::Ok && (mask & 1))
        m_inbox.clear();
    return status;
}

FtStatus FakeFtdiDriver::queueStatus(FtHandleValue handle, quint32 &bytes)
{
    std::lock_guard lock(m_mutex);
    if (queueStatusOkCalls == 0)
        return ftstatus::IoError;
    if (queueStatusOkCalls > 0)
        --queueStatusOkCalls;
    const FtStatus status = check(handle);
    if (status == ftstatus::Ok)
        bytes = static_cast<quint32>(m_inbox.size());
    return status;
}

FtStatus FakeFtdiDriver::read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got)
{
    std::unique_lock lock(m_mutex);
    got = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_readTimeoutMs);
    m_arrived.wait_until(lock, deadline, [this] { return m_unplugged || !m_inbox.isEmpty(); });
    if (const FtStatus status = check(handle); status != ftstatus::Ok)
        return status;
    got = qMin<quint32>(count, static_cast<quint32>(m_inbox.size()));
    std::memcpy(buffer, m_inbox.constData(), got);
    m_inbox.remove(0, got);
    return ftstatus::Ok;
}

FtStatus FakeFtdiDriver::write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                               quint32 &written)
{
    std::unique_lock lock(m_mutex);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), count);
    note(QStringLiteral("write %1").arg(QString::fromLatin1(bytes.toHex())));
    written = 0;
    if (const FtStatus status = check(handle); status != ftstatus::Ok)
        return status;
    written = count;
    if (onWrite) {
        const auto answer = onWrite;
        lock.unlock();
        const QByteArray reply = answer(bytes);
        feed(reply);
    }
    return ftstatus::Ok;
}

} // namespace brevolan::test
