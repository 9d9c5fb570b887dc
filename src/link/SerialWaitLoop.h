#pragma once
// The serial half of WaitReply: collects what the encoder sends, one byte at
// a time, until the reply holds one of the expected texts, the timeout
// passes (timeoutMs <= 0: no limit), the port is gone or the application is
// terminating.

#include <QByteArray>
#include <QList>

namespace brevolan {

class TXComm;

// Longest a single pass waits in the kernel for a byte. It bounds how late a
// termination request or a closed port is noticed; a byte that arrives ends
// the wait at once.
inline constexpr int SerialPassWaitMs = 5;

// Returns the position of the expected text found, or -1. reply holds every
// non-NUL byte received during the call, up to the one that completed the
// match; later bytes stay in the port for the next call.
int SerialWaitReply(TXComm &xcomm, const QList<QByteArray> &expected, int timeoutMs,
                    QByteArray &reply);

} // namespace brevolan
