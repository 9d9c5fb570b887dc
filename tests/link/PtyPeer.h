#pragma once
// The far end of a pseudo-terminal, standing in for an encoder on a serial
// port: the code under test opens slavePath() like any port, the test sends
// and receives raw bytes on the master. A slave descriptor of our own stays
// open (raw, no echo) so that master reads never fail between the opens of
// the code under test. An optional responder thread answers what arrives.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace brevolan::test {

class PtyPeer {
public:
    using Responder = std::function<QByteArray(const QByteArray &received)>;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool isReady() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    void send(const QByteArray &bytes);
    // What the code under test wrote: waits up to waitMs for the first byte,
    // then takes whatever follows within a short quiet gap.
    QByteArray receive(int waitMs = 500);
    // Answers every chunk that arrives from a thread of its own.
    void startResponder(Responder responder);
    // Everything the responder has seen so far.
    QByteArray heard() const;
    void stopResponder();
    // Closes the master: the code under test sees a hang-up.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_heard;
};

} // namespace brevolan::test
