#pragma once
// Keeps the encoder's radio text up to date with the newest text offered.
//
// - One pending slot: a text offered while another waits replaces it, so
//   updates that come faster than the encoder takes them are coalesced and
//   only the newest is sent. Sending starts from the event loop when idle.
// - A text equal to the one on air (or already waiting) is not sent again.
// - A failed attempt never ends the watch: the newest text is tried again
//   after a pause that doubles from 1 s up to 30 s. After a failure the
//   encoder's text is unknown (it may have been switched off and come back
//   with its stored text), so the next success always sends.
// - Every attempt and its result is one log line.

#include "cli/NowPlayingText.h"
#include "cli/RadioTextSender.h"
#include "cli/WatchLog.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace brevolan::cli {

// The pause before the next attempt after a failure: 1 s, then doubled up to
// 30 s. previousMs 0: the first failure.
int nextRetryDelayMs(int previousMs);

class NowPlayingWatch : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<SendOutcome(const QString &)>;

    // keysLabel names the keys in the log ("TEXT", "TEXT, DPS").
    NowPlayingWatch(Sender send, QString keysLabel, WatchLog &log, QObject *parent = nullptr);

    void offer(const NowPlayingText &update);
    // The source has ended: finished() as soon as nothing is left to send.
    void finishWhenDone();

    bool idle() const { return !m_pending.has_value(); }
    std::optional<QString> onAir() const { return m_onAir; }
    int retryDelayMs() const { return m_retryMs; }

signals:
    void finished();

private:
    void attempt();
    void finishIfDone();
    QString quoted(const QString &text) const;

    Sender m_send;
    QString m_keysLabel;
    WatchLog &m_log;
    std::optional<QString> m_pending;   // the newest text, not yet on air
    std::optional<QString> m_onAir;     // the text the encoder has, when known
    int m_retryMs = 0;                  // 0: the last attempt succeeded
    int m_failedAttempts = 0;
    bool m_finishing = false;
    QTimer m_next;                      // the next attempt
};

} // namespace brevolan::cli
