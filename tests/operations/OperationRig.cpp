#include "OperationRig.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace brevolan::test {

void OperationRig::setRestingSpeed(int baud)
{
    speed_t speed = B9600;
    switch (baud) {
    case 1200: speed = B1200; break;
    case 2400: speed = B2400; break;
    case 4800: speed = B4800; break;
    case 19200: speed = B19200; break;
    case 38400: speed = B38400; break;
    case 57600: speed = B57600; break;
    case 115200: speed = B115200; break;
    default: break;
    }
    const int fd = ::open(qPrintable(port()), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    termios t {};
    QVERIFY(::tcgetattr(fd, &t) == 0);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    QVERIFY(::tcsetattr(fd, TCSANOW, &t) == 0);
    ::close(fd);
}

} // namespace brevolan::test
