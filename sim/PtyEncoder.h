#pragma once
// Serves an EncoderEngine on a pseudo-terminal from a thread of its own, so
// that the application talks to it through the slave side exactly as to a
// serial port (QSerialPort on slavePath()).
//
// - The slave stays open here as well: the master would read EIO between
//   the application's opens otherwise, and the application's settings (its
//   baud rate among them) would be lost at each close.
// - Output is paced at the line speed, 10 bits per byte (8N1), unless
//   setPaced(false).
// - The line speed the application set on its side is read back from the
//   pty's termios. While it differs from the speed the encoder's line runs
//   at, both directions are garbled, as on a real line.
// - Fault modes come from the engine (EncoderFaults): reply delays, noise,
//   and the hang-up after N commands, which closes the pty.

#include "sim/EncoderEngine.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace brevolan::sim {

class PtyEncoder {
public:
    explicit PtyEncoder(std::shared_ptr<EncoderEngine> engine = std::make_shared<EncoderEngine>());
    ~PtyEncoder();
    PtyEncoder(const PtyEncoder &) = delete;
    PtyEncoder &operator=(const PtyEncoder &) = delete;

    // Opens the pty and starts serving; false with a reason on failure.
    bool start(QString *error = nullptr);
    // Stops serving and closes the pty (the slave path disappears).
    void stop();
    QString slavePath() const;                 // e.g. /dev/pts/5
    std::shared_ptr<EncoderEngine> engine() const;
    void setPaced(bool paced);                 // default true
    void hangUp();                             // close the pty: the application sees a hang-up
    // True from start() until stop(), a hang-up or the unplug fault.
    bool isServing() const;
    // The baud rate the application's side of the pty is set to now (0 when
    // it cannot be read).
    quint32 applicationSpeed() const;

private:
    void run();
    void closeFds();

    std::shared_ptr<EncoderEngine> m_engine;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    int m_master = -1;
    int m_slave = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QString m_slavePath;
    std::atomic<bool> m_paced{true};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_serving{false};
};

} // namespace brevolan::sim
