#include "PtyPeer.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace brevolan::test {

PtyPeer::PtyPeer()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(master));
    m_slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        ::close(master);
        return;
    }
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    m_master = master;
}

PtyPeer::~PtyPeer()
{
    hangUp();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPeer::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray PtyPeer::receive(int waitMs)
{
    QByteArray out;
    int wait = waitMs;
    while (m_master >= 0) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, wait) <= 0 || !(p.revents & POLLIN))
            break;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
        wait = 20;
    }
    return out;
}

void PtyPeer::startResponder(Responder responder)
{
    stopResponder();
    m_stop = false;
    m_thread = std::thread([this, responder = std::move(responder)] {
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            const QByteArray chunk(buffer, n);
            {
                std::lock_guard lock(m_mutex);
                m_heard += chunk;
            }
            send(responder(chunk));
        }
    });
}

QByteArray PtyPeer::heard() const
{
    std::lock_guard lock(m_mutex);
    return m_heard;
}

void PtyPeer::stopResponder()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void PtyPeer::hangUp()
{
    stopResponder();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

} // namespace brevolan::test
