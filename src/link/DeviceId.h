#pragma once
// The device identifier DevID: "1, " + port + ", " + speed for a serial
// port, "2, " + serial number for a USB encoder. Its first character tells
// the transport; readers cut at commas and trim every piece.

#include <QString>

namespace brevolan {

inline const QString DefaultDevId = QStringLiteral("1, COM1, 9600");

inline bool isSerialDevId(const QString &devId) { return devId.startsWith(QLatin1Char('1')); }
inline bool isUsbDevId(const QString &devId) { return devId.startsWith(QLatin1Char('2')); }

struct SerialDevId {
    QString port;    // "COM1", "ttyUSB0", "/dev/pts/3"
    QString speed;   // speed text as stored; may be empty or no integer
};

// Kind dropped, the port piece and the rest (both trimmed).
SerialDevId parseSerialDevId(const QString &devId);
// Kind dropped, the rest trimmed.
QString usbSerialOf(const QString &devId);
// As the presence test takes it: upper case, first two characters removed, trimmed.
QString presenceSerialOf(const QString &devId);

QString serialDevId(const QString &port, const QString &speed);
QString usbDevId(const QString &serialNumber);

// ShowDeviceName: "COM1, 9600", or "USB " + serial number.
QString deviceDisplayName(const QString &devId);

// Where a serial port name opens on Linux: "COMn" is /dev/ttyS(n-1), a bare
// device name lives in /dev, a path is used as it is.
QString serialPortPath(const QString &portName);

} // namespace brevolan
