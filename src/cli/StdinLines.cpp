#include "cli/StdinLines.h"

#include "cli/NowPlayingText.h"

#include <cerrno>
#include <utility>
#include <unistd.h>

namespace brevolan::cli {

namespace {
// A line longer than this is no song title; the rest of it is dropped.
constexpr qsizetype LongestLine = 4096;
} // namespace

StdinLines::StdinLines(int fd, QObject *parent)
    : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read)
{
    connect(&m_notifier, &QSocketNotifier::activated, this, &StdinLines::readAvailable);
}

void StdinLines::readAvailable()
{
    // One read per notification: the descriptor is readable, so it does not
    // block, and standard input is left in blocking mode for whoever shares it.
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        m_notifier.setEnabled(false);
        if (!m_partial.isEmpty())
            emit lineRead(decodeLine(std::exchange(m_partial, QByteArray())));
        emit ended();
        return;
    }
    QByteArrayView chunk(buffer, n);
    for (;;) {
        const qsizetype end = chunk.indexOf('\n');
        // Past the longest line, bytes up to the line end are dropped.
        const QByteArrayView piece = end < 0 ? chunk : chunk.first(end);
        m_partial.append(piece.first(qBound<qsizetype>(0, LongestLine - m_partial.size(), piece.size())));
        if (end < 0)
            break;
        emit lineRead(decodeLine(std::exchange(m_partial, QByteArray())));
        chunk = chunk.sliced(end + 1);
    }
}

} // namespace brevolan::cli
