#pragma once
// The serial ports offered by the device dialog. Names are shown so that
// they go into DevID as they are and open the same port again: the
// motherboard ports /dev/ttyS<n> as "COM<n+1>" (so the default "1, COM1,
// 9600" means the first of them), other ports in /dev by their bare name
// ("ttyUSB0", "ttyACM0"), anything else by its full path. Linux device names
// are case-sensitive, so the names keep their letter case.

#include <QStringList>
#include <functional>
#include <optional>

namespace brevolan {

// Device paths of the serial ports the system knows; nullopt when the
// system's port list cannot be read.
using PortEnumerator = std::function<std::optional<QStringList>()>;

// The ports QSerialPortInfo finds (udev's tty subsystem; unusable 8250 ports
// and pseudo-terminals are not listed). Never fails.
std::optional<QStringList> systemSerialPorts();

// The name shown and stored for a device path; empty for a path that DevID
// cannot carry (a comma, blanks or control characters at its ends).
QString comPortDisplayName(const QString &devicePath);

// Orders COM ports by number first, then the other names, numbers compared
// by value ("ttyUSB2" before "ttyUSB10").
bool comPortNameLess(const QString &a, const QString &b);

// Fills list with the display names, ordered. With no ports at all the list
// is left as it was. Raises "EnumPorts failed." when the enumeration fails.
// enumerate defaults to systemSerialPorts.
bool ListComPorts(QStringList &list, const PortEnumerator &enumerate = {});

} // namespace brevolan
