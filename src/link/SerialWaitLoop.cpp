#include "link/SerialWaitLoop.h"

#include "link/MillisecondClock.h"
#include "link/ReplyMatch.h"
#include "link/TXComm.h"
#include "link/Termination.h"

#include <QScopeGuard>

namespace brevolan {

int SerialWaitReply(TXComm &xcomm, const QList<QByteArray> &expected, int timeoutMs,
                    QByteArray &reply)
{
    reply.clear();
    int result = -1;
    if (!xcomm.isOpen() || xcomm.readLocked() || expected.isEmpty())
        return result;

    xcomm.raiseEventSuppression();
    const auto lower = qScopeGuard([&xcomm] { xcomm.lowerEventSuppression(); });

    const quint32 start = MillisecondClock();
    qint32 left = timeoutMs;   // time left as of the last clock reading
    int burst = 0;
    for (;;) {
        // Block in the kernel for the next byte, but never past the deadline
        // (the read returns about a millisecond after its own timeout).
        const int wait = timeoutMs > 0 ? qBound(0, left - 1, SerialPassWaitMs) : SerialPassWaitMs;
        char byte = 0;
        const int got = xcomm.read(&byte, 1, wait);
        bool readClock = true;
        if (got == 1 && byte != '\0') {
            reply.append(byte);
            result = matchExpected(reply, expected);
            if (result >= 0)
                break;
            // A burst of waiting input is taken without looking at the clock,
            // but never more than 10 bytes, so that an endless stream without
            // the expected text is still cut off by the timeout.
            ++burst;
            if (burst < 10 && xcomm.isOpen() && xcomm.inputQueueCount() > 0)
                readClock = false;
        }
        if (readClock) {
            burst = 0;
            if (timeoutMs > 0) {
                const qint32 elapsed = elapsedMs(start, MillisecondClock());
                if (elapsed >= timeoutMs)
                    break;
                left = timeoutMs - elapsed;
            }
        }
        if (terminationRequested() || !xcomm.isOpen())
            break;
    }
    return result;
}

} // namespace brevolan
