#include "link/TXComm.h"

#include "common/BrevolanError.h"
#include "link/DeviceId.h"
#include "link/MillisecondClock.h"

#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace brevolan {

namespace {

qint32 standardRate(TBaudRate kind)
{
    switch (kind) {
    case TBaudRate::br110: return 110;
    case TBaudRate::br300: return 300;
    case TBaudRate::br600: return 600;
    case TBaudRate::br1200: return 1200;
    case TBaudRate::br2400: return 2400;
    case TBaudRate::br4800: return 4800;
    case TBaudRate::br9600: return 9600;
    case TBaudRate::br14400: return 14400;
    case TBaudRate::br19200: return 19200;
    case TBaudRate::br38400: return 38400;
    case TBaudRate::br56000: return 56000;
    case TBaudRate::br57600: return 57600;
    case TBaudRate::br115200: return 115200;
    case TBaudRate::br128000: return 128000;
    case TBaudRate::br256000: return 256000;
    case TBaudRate::brCustom: break;
    }
    return 0;
}

QString systemText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

} // namespace

int errnoForText(const QString &text)
{
    for (int code = 1; code < 256; ++code)
        if (systemText(code) == text)
            return code;
    return 0;
}

TXComm::TXComm() = default;

TXComm::~TXComm()
{
    if (m_port.isOpen())
        m_port.close();
}

qint32 TXComm::effectiveBaudRate() const
{
    return m_baudRate == TBaudRate::brCustom ? m_baudValue : standardRate(m_baudRate);
}

bool TXComm::isOpen() const { return m_port.isOpen(); }

void TXComm::requireOpen() const
{
    if (!m_port.isOpen())
        throw EDeviceError(QStringLiteral("Device not opened."));
}

void TXComm::open()
{
    if (m_port.isOpen())
        throw EDeviceError(QStringLiteral("Device is allready opened."));
    m_hungUp = false;
    m_reading = m_writing = false;
    m_port.setPortName(serialPortPath(m_deviceName));
    // The port opens at a rate every driver takes, so that a refused opening
    // and refused line settings can be told apart; the real rate follows.
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(m_buffers.InputSize);
    // QSerialPort takes the port exclusively (a lock file and TIOCEXCL).
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.clearError();
        throw EDeviceError(QStringLiteral("Cannot open device %1").arg(m_deviceName));
    }
    if (!m_port.setBaudRate(effectiveBaudRate())) {
        m_port.close();
        m_port.clearError();
        throw EDeviceError(QStringLiteral("Unable to update device control block."));
    }
    // The kernel raises DTR and RTS on open; the encoder line wants neither.
    // Pseudo-terminals have no modem lines and refuse with ENOTTY: ignored.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    // Stale input survives a close and reopen of the same port. Only the
    // input is discarded: flushing output here could swallow the last command
    // of a previous connection before it reached the wire.
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
}

void TXComm::close()
{
    if (!m_port.isOpen()) {
        if (m_hungUp) {
            m_hungUp = false;
            return;
        }
        throw EDeviceError(QStringLiteral("Device not opened."));
    }
    drainOutput();
    m_port.close();
    m_port.clearError();
    m_reading = m_writing = false;
}

void TXComm::drainOutput()
{
    // Closing restores the line settings the port had before it was opened;
    // a command still in the driver (SPEED=n, INIT, just written) would leave
    // with its tail at the wrong speed. Wait until the transmit queue is empty,
    // for at most the output timeout, so a stuck line never hangs the close.
    const int fd = m_port.handle();
    const qint32 start = MillisecondClock();
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0
           && elapsedMs(start, MillisecondClock()) < m_buffers.OutputTimeout)
        ::usleep(1000);
}

bool TXComm::lostLine(QSerialPort::SerialPortError error) const
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
}

bool TXComm::kernelHasInput(int timeoutMs) const
{
    // Waiting happens here, in poll, rather than in waitForReadyRead: a
    // QSerialPort wait that times out records an error (with a translated
    // text) every time, which made an idle wait cost a measurable share of
    // the processor. A hang-up also wakes poll.
    pollfd p{m_port.handle(), POLLIN, 0};
    int rc;
    do
        rc = ::poll(&p, 1, timeoutMs);
    while (rc < 0 && errno == EINTR);
    return rc > 0;
}

bool TXComm::takeInput()
{
    if (m_port.waitForReadyRead(0))
        return true;
    if (lostLine(m_port.error()))
        dropLine();
    else
        m_port.clearError();
    return false;
}

void TXComm::dropLine()
{
    // The peer hung up or the adapter was unplugged: close, so that every
    // wait sees the port gone instead of polling a dead descriptor.
    m_port.close();
    m_port.clearError();
    m_hungUp = true;
}

void TXComm::raiseSystemError(const char *what, int code) const
{
    // The component's "%s (Win32 error %d: %s)" form, with the Linux code.
    throw EDeviceError(QStringLiteral("%1 (errno %2: %3)")
                           .arg(QLatin1String(what))
                           .arg(code)
                           .arg(code ? systemText(code) : m_port.errorString()));
}

qint64 TXComm::inputQueueCount()
{
    requireOpen();
    if (m_port.bytesAvailable() == 0 && kernelHasInput(0))
        takeInput();
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

int TXComm::read(char *buffer, int count, int timeoutMs)
{
    requireOpen();
    if (count <= 0)
        return 0;
    m_reading = true;
    const auto unlock = qScopeGuard([this] { m_reading = false; });
    const quint32 start = MillisecondClock();
    for (;;) {
        if (m_port.bytesAvailable() == 0) {
            const qint32 left = timeoutMs - elapsedMs(start, MillisecondClock());
            if (left < 0)
                return 0;
            if (!kernelHasInput(left + 1))
                continue;   // timed out: the clock decides above
            if (!takeInput()) {
                if (!m_port.isOpen())
                    return 0;
                continue;
            }
        }
        const qint64 got = m_port.read(buffer, count);
        if (got < 0)
            raiseSystemError("Unable to read from port.", errnoForText(m_port.errorString()));
        int kept = 0;
        for (qint64 i = 0; i < got; ++i)
            if (buffer[i] != '\0')
                buffer[kept++] = buffer[i];
        return kept;
    }
}

bool TXComm::sendString(const QByteArray &text)
{
    // A line lost to a hang-up is a failed write, not a port the program
    // forgot to open.
    if (m_hungUp)
        raiseSystemError("Unable to write to port.", EIO);
    requireOpen();
    m_writing = true;
    const auto unlock = qScopeGuard([this] { m_writing = false; });
    // Written on the port's own descriptor rather than through QSerialPort's
    // queue: a failed write then reports the system's real error code (the
    // queue reports a hang-up as a read error with a stale errno). The
    // descriptor is non-blocking; poll waits for room.
    const int fd = m_port.handle();
    qsizetype sent = 0;
    quint32 lastProgress = MillisecondClock();
    while (sent < text.size()) {
        const size_t piece = static_cast<size_t>(qMin<qsizetype>(m_buffers.OutputSize, text.size() - sent));
        const ssize_t n = ::write(fd, text.constData() + sent, piece);
        if (n > 0) {
            sent += n;
            lastProgress = MillisecondClock();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            raiseSystemError("Unable to write to port.", errno);
        const qint32 left = m_buffers.OutputTimeout - elapsedMs(lastProgress, MillisecondClock());
        if (left <= 0)
            return false;   // no progress within OutputTimeout
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, left);
    }
    return true;
}

} // namespace brevolan
