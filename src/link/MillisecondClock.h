#pragma once
// The millisecond count behind every timeout of the link. It is a 32-bit
// count that wraps about every 49.7 days; elapsed time is always taken as
// now minus start in two's-complement arithmetic and compared as a signed
// number, so a wrap between start and now does no harm.

#include <QtGlobal>

namespace brevolan {

// Milliseconds of a monotonic clock (never stepped by NTP or the user),
// rounded to the nearest millisecond, low 32 bits.
quint32 MillisecondClock();

// now - start as a signed count, wrap-safe.
constexpr qint32 elapsedMs(quint32 start, quint32 now)
{
    return static_cast<qint32>(now - start);
}

} // namespace brevolan
