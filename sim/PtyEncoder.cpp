#include "sim/PtyEncoder.h"

#include "sim/TermiosSpeed.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace brevolan::sim {

namespace {

using Clock = std::chrono::steady_clock;

qint64 microsSince(Clock::time_point t0, Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(t - t0).count();
}

// Bytes a line at baud can carry in us microseconds: 10 bits each (8N1).
qint64 bytesIn(qint64 us, quint32 baud)
{
    return us * qint64(baud) / 10'000'000;
}

struct Outgoing {
    Clock::time_point due;        // not before this
    QByteArray bytes;
    quint32 lineSpeed = 9600;
    quint32 speedAfter = 9600;
    bool noise = false;           // may be dropped when the application does not read
    int sent = 0;
    bool started = false;
    Clock::time_point startedAt;
};

// Noise comes in small bursts so that the next command is heard between them.
constexpr int NoiseBurst = 32;
// How often the application's line speed is sampled while idle.
constexpr int SpeedSampleMs = 10;

} // namespace

PtyEncoder::PtyEncoder(std::shared_ptr<EncoderEngine> engine)
    : m_engine(engine ? std::move(engine) : std::make_shared<EncoderEngine>())
{
}

PtyEncoder::~PtyEncoder()
{
    stop();
}

bool PtyEncoder::start(QString *error)
{
    auto fail = [&](const char *what) {
        const int err = errno;
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(err)));
        closeFds();
        return false;
    };
    if (m_thread.joinable())
        stop();
    std::lock_guard lock(m_mutex);
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    // Held open for the whole run: without it the master reads EIO while the
    // application has the port closed, and the line settings are forgotten.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open slave");
    termios t {};
    if (tcgetattr(m_slave, &t) != 0)
        return fail("tcgetattr");
    // Raw, or the line discipline would echo the application's commands back
    // to it and turn CRs into line feeds.
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(m_slave, TCSANOW, &t) != 0)
        return fail("tcsetattr");
    const int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("pipe");
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    m_stop = false;
    m_serving = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

void PtyEncoder::stop()
{
    m_stop = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_wakeWrite >= 0) {
            const char c = 's';
            [[maybe_unused]] const auto n = ::write(m_wakeWrite, &c, 1);
        }
    }
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    closeFds();
    m_serving = false;
}

void PtyEncoder::hangUp()
{
    stop();
}

void PtyEncoder::closeFds()
{
    for (int *fd : {&m_master, &m_slave, &m_wakeRead, &m_wakeWrite}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

QString PtyEncoder::slavePath() const
{
    std::lock_guard lock(m_mutex);
    return m_slavePath;
}

std::shared_ptr<EncoderEngine> PtyEncoder::engine() const
{
    return m_engine;
}

void PtyEncoder::setPaced(bool paced)
{
    m_paced = paced;
}

bool PtyEncoder::isServing() const
{
    return m_serving;
}

quint32 PtyEncoder::applicationSpeed() const
{
    std::lock_guard lock(m_mutex);
    return m_master >= 0 ? ttyLineSpeed(m_master) : 0;
}

void PtyEncoder::run()
{
    const int master = m_master;
    const int wake = m_wakeRead;
    std::deque<Outgoing> out;
    bool unplugging = false;

    while (!m_stop) {
        const auto now = Clock::now();

        // Send what is due.
        while (!out.empty()) {
            Outgoing &o = out.front();
            if (now < o.due)
                break;
            if (!o.started) {
                o.started = true;
                o.startedAt = now;
            }
            qint64 allowed = o.bytes.size();
            if (m_paced)
                allowed = qMin<qint64>(allowed, bytesIn(microsSince(o.startedAt, now), o.lineSpeed) + 1);
            if (allowed > o.sent) {
                QByteArray chunk = o.bytes.mid(o.sent, int(allowed - o.sent));
                // The application's receiver samples at its own rate.
                if (ttyLineSpeed(master) != o.lineSpeed)
                    chunk = EncoderEngine::garble(chunk);
                const ssize_t n = ::write(master, chunk.constData(), size_t(chunk.size()));
                if (n > 0)
                    o.sent += int(n);
                else if (o.noise)
                    o.sent = o.bytes.size();   // nobody reads: the noise is lost
            }
            if (o.sent < o.bytes.size())
                break;
            out.pop_front();
        }
        if (unplugging && out.empty())
            break;
        if (out.empty() && !unplugging && m_engine->noisy()) {
            Outgoing noise;
            noise.due = now;
            noise.bytes = EncoderEngine::noiseBytes(NoiseBurst);
            noise.lineSpeed = noise.speedAfter = m_engine->lineSpeed();
            noise.noise = true;
            out.push_back(noise);
            if (!m_paced)
                out.back().due = now + std::chrono::milliseconds(5);
        }

        // How long to sleep: until the next byte may leave, or for input.
        // Woken at least this often to sample the application's line speed
        // (see below).
        int timeoutMs = SpeedSampleMs;
        bool wantWrite = false;
        if (!out.empty()) {
            const Outgoing &o = out.front();
            if (now < o.due) {
                timeoutMs = std::min<int>(timeoutMs, int(std::chrono::ceil<std::chrono::milliseconds>(o.due - now).count()));
            } else if (o.started && m_paced && bytesIn(microsSince(o.startedAt, now), o.lineSpeed) + 1 <= o.sent) {
                timeoutMs = 1;
            } else {
                wantWrite = true;   // the application's input buffer was full
                timeoutMs = 10;
            }
        }
        pollfd fds[2] = {{master, short(unplugging ? 0 : POLLIN), 0}, {wake, POLLIN, 0}};
        if (wantWrite)
            fds[0].events |= POLLOUT;
        const quint32 speedBeforeInput = ttyLineSpeed(master);
        const int r = ::poll(fds, 2, timeoutMs);
        if (r < 0 && errno != EINTR)
            break;
        if (m_stop)
            break;
        if (r <= 0 || !(fds[0].revents & POLLIN))
            continue;

        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            continue;
        QByteArray received(buf, int(n));
        // Heard at the wrong rate, the application's bytes are garbage. While
        // a reply is still leaving, the line runs at that reply's speed.
        // Idle, the line runs at the engine's speed (which a test may also set
        // directly).
        const quint32 hearing = out.empty() || out.front().noise ? m_engine->lineSpeed()
                                                                 : out.front().lineSpeed;
        // The application may switch its speed (or close, which restores the
        // settings) right after writing, before this thread looks: bytes are
        // understood when its speed just before they came, or now, matches.
        if (hearing != speedBeforeInput && hearing != ttyLineSpeed(master))
            received = EncoderEngine::garble(received);
        const auto heard = Clock::now();
        const QList<EncoderReply> replies = m_engine->feedReplies(received);
        if (!replies.isEmpty()) {
            // A new command ends the noise of the last one.
            while (!out.empty() && out.back().noise && !out.back().started)
                out.pop_back();
        }
        for (const EncoderReply &reply : replies) {
            Outgoing o;
            o.due = heard + std::chrono::milliseconds(reply.delayMs);
            o.bytes = reply.bytes;
            o.lineSpeed = reply.lineSpeed;
            o.speedAfter = reply.speedAfter;
            out.push_back(o);
        }
        if (m_engine->unplugged())
            unplugging = true;
    }

    if (unplugging && !m_stop) {
        // The cable came out once the last reply had been read (a hang-up
        // would flush it from the application's input), or after a second
        // when nobody reads it.
        // Bytes written to the master reach the slave's queue a little later.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (int i = 0; i < 100 && !m_stop; ++i) {
            int waiting = 0;
            if (ioctl(m_slave, FIONREAD, &waiting) != 0 || waiting == 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Close the pty: the application sees a hang-up.
        std::lock_guard lock(m_mutex);
        for (int *fd : {&m_master, &m_slave}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }
    m_serving = false;
}

} // namespace brevolan::sim
