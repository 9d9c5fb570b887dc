#pragma once
// The serial component behind the main window's XComm: a QSerialPort driven in
// blocking use (no event loop), with the design-time settings the encoder
// line needs: 8N1, no flow control, RTS and DTR not raised, 2048-byte
// buffers, writes bounded by a 500 ms output timeout, received NUL bytes
// dropped. Failures are raised as EDeviceError with the component's fixed
// texts; nothing here shows a box.

#include <QByteArray>
#include <QSerialPort>
#include <QString>

namespace brevolan {

// The rate kinds of the component; the link always uses brCustom, where the
// rate is taken from BaudValue.
enum class TBaudRate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000, brCustom
};

struct TXCommBuffers {
    int InputSize = 2048;      // receive buffer, bytes
    int OutputSize = 2048;     // transmit buffer, bytes
    int InputTimeout = 500;    // ms; reads pass their own timeout
    int OutputTimeout = 500;   // ms without progress before a write gives up
};

class TXComm {
public:
    TXComm();
    ~TXComm();
    TXComm(const TXComm &) = delete;
    TXComm &operator=(const TXComm &) = delete;

    // Used at the next open; changing them while the port is open has no effect.
    void setBaudRate(TBaudRate kind) { m_baudRate = kind; }
    TBaudRate baudRate() const { return m_baudRate; }
    void setBaudValue(qint32 baud) { m_baudValue = baud; }
    qint32 baudValue() const { return m_baudValue; }
    void setDeviceName(const QString &name) { m_deviceName = name; }
    QString deviceName() const { return m_deviceName; }
    const TXCommBuffers &buffers() const { return m_buffers; }
    // The line speed the next open asks for (BaudValue for brCustom).
    qint32 effectiveBaudRate() const;

    // Opens DeviceName exclusively with all settings applied and discards
    // pending input. Raises "Cannot open device %s" when the system refuses
    // the port (missing, busy, no access) and "Unable to update device
    // control block." when the line settings are refused; the port is
    // closed after either.
    void open();
    // Raises "Device not opened." when no port is open. A port lost to a
    // hang-up closes quietly: the user asked for nothing that failed.
    void close();
    bool isOpen() const;

    // Reading is locked while a read is under way and while the port is closed.
    bool readLocked() const { return !isOpen() || m_reading; }
    bool writeLocked() const { return !isOpen() || m_writing; }

    // Nothing here hands out events; the count is kept for the wait loop's
    // contract (raise, lower, never below 0).
    void raiseEventSuppression() { ++m_eventSuppression; }
    void lowerEventSuppression() { if (m_eventSuppression > 0) --m_eventSuppression; }
    int eventSuppression() const { return m_eventSuppression; }

    // Received bytes waiting. Raises "Device not opened." on a closed port.
    qint64 inputQueueCount();
    // Reads up to count waiting bytes, NUL bytes dropped; with nothing waiting
    // it blocks in the kernel until a byte arrives or more than timeoutMs
    // have passed (timeout 0: about one millisecond). A hang-up closes the
    // port and reads 0; other failures raise "Unable to read from port.".
    int read(char *buffer, int count, int timeoutMs);
    // Writes the whole text; false when OutputTimeout passed without progress.
    // Raises "Unable to write to port." when the system's write fails or the
    // line was lost to a hang-up.
    bool sendString(const QByteArray &text);

private:
    void requireOpen() const;
    bool lostLine(QSerialPort::SerialPortError error) const;
    // Whether the descriptor has input (or a hang-up) within timeoutMs.
    bool kernelHasInput(int timeoutMs) const;
    // Moves what the kernel holds into the port's buffer; false when nothing
    // came (the line was dropped if it is gone).
    bool takeInput();
    void dropLine();
    [[noreturn]] void raiseSystemError(const char *what, int code) const;

    QSerialPort m_port;
    TBaudRate m_baudRate = TBaudRate::brCustom;
    qint32 m_baudValue = 9600;
    QString m_deviceName = QStringLiteral("COM2");
    void drainOutput();
    TXCommBuffers m_buffers;
    int m_eventSuppression = 0;
    bool m_reading = false;
    bool m_writing = false;
    bool m_hungUp = false;   // the line went away; close() completes quietly
};

// The system's error code for the text QSerialPort reported (it keeps only
// the text), or 0 when no code has that text.
int errnoForText(const QString &text);

} // namespace brevolan
