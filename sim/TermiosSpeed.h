#pragma once
// The baud rate a tty is set to, read with TCGETS2 so that custom rates
// (BOTHER, which QSerialPort uses for non-standard speeds) come back as
// numbers too. On a pty master this reports the slave's settings: what the
// application on the slave side has asked for.

#include <QtGlobal>

namespace brevolan::sim {

// 0 when the settings cannot be read.
quint32 ttyLineSpeed(int fd);

} // namespace brevolan::sim
