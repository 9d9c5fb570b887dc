#include "link/MillisecondClock.h"

#include <chrono>

namespace brevolan {

quint32 MillisecondClock()
{
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    // Round to the nearest millisecond, then keep the low 32 bits.
    return static_cast<quint32>(static_cast<quint64>((us + 500) / 1000));
}

} // namespace brevolan
