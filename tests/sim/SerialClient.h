#pragma once
// A plain QSerialPort client for the simulator on a pty, used blocking as
// the application uses it.

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>

namespace simtest {

inline bool openPort(QSerialPort &port, const QString &path, qint32 baud)
{
    port.setPortName(path);
    port.setBaudRate(baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.clear();
    return true;
}

// Reads until the received text contains needle, the time passes, or the
// port fails (a hang-up).
inline QByteArray readUntil(QSerialPort &port, const QByteArray &needle, int ms)
{
    QElapsedTimer t;
    t.start();
    QByteArray got = port.readAll();
    while ((needle.isEmpty() || !got.contains(needle)) && t.elapsed() < ms) {
        if (port.waitForReadyRead(int(qMax<qint64>(1, ms - t.elapsed()))))
            got += port.readAll();
        else if (port.error() != QSerialPort::TimeoutError)
            break;
    }
    return got + port.readAll();
}

inline QByteArray exchange(QSerialPort &port, const QByteArray &command, const QByteArray &needle,
                           int ms = 1000)
{
    port.write(command);
    port.waitForBytesWritten(500);
    return readUntil(port, needle, ms);
}

inline bool allGarbage(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (quint8(c) < 0x80)
            return false;
    }
    return true;
}

} // namespace simtest
