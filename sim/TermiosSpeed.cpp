// Kept apart: <asm/termbits.h> (termios2) clashes with <termios.h>.
#include "sim/TermiosSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace brevolan::sim {

quint32 ttyLineSpeed(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}

} // namespace brevolan::sim
