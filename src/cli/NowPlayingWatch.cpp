#include "cli/NowPlayingWatch.h"

#include "link/Termination.h"

namespace brevolan::cli {

namespace {
constexpr int FirstRetryMs = 1000;
constexpr int LongestRetryMs = 30000;
} // namespace

int nextRetryDelayMs(int previousMs)
{
    if (previousMs <= 0)
        return FirstRetryMs;
    return qMin(previousMs * 2, LongestRetryMs);
}

NowPlayingWatch::NowPlayingWatch(Sender send, QString keysLabel, WatchLog &log, QObject *parent)
    : QObject(parent), m_send(std::move(send)), m_keysLabel(std::move(keysLabel)), m_log(log)
{
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &NowPlayingWatch::attempt);
}

QString NowPlayingWatch::quoted(const QString &text) const
{
    return m_keysLabel + QStringLiteral("=\"") + text + QLatin1Char('"');
}

void NowPlayingWatch::offer(const NowPlayingText &update)
{
    const QString &text = update.text;
    const QString replacements = describeReplacements(update.plain);
    if (!replacements.isEmpty())
        m_log.line(QStringLiteral("\"%1\": %2").arg(text, replacements));
    if (update.cut)
        m_log.line(QStringLiteral("\"%1\": cut to %2 characters (was %3)")
                       .arg(text).arg(text.size()).arg(update.fullLength));

    if (m_pending == text || (!m_pending && m_onAir == text)) {
        m_log.line(QStringLiteral("%1 unchanged, not sent again").arg(quoted(text)));
        return;
    }
    if (m_pending)
        m_log.line(QStringLiteral("%1 skipped: a newer text came before it was sent").arg(quoted(*m_pending)));
    if (m_onAir == text) {
        // Back to what the encoder shows already.
        m_pending.reset();
        m_log.line(QStringLiteral("%1 is on air already, not sent again").arg(quoted(text)));
        finishIfDone();
        return;
    }
    m_pending = text;
    // While a pause after a failure runs, the newest text waits for its end.
    if (!m_next.isActive())
        m_next.start(0);
}

void NowPlayingWatch::finishWhenDone()
{
    m_finishing = true;
    finishIfDone();
}

void NowPlayingWatch::finishIfDone()
{
    if (m_finishing && idle())
        QTimer::singleShot(0, this, &NowPlayingWatch::finished);
}

void NowPlayingWatch::attempt()
{
    if (!m_pending || terminationRequested())
        return;
    const QString text = *m_pending;
    const SendOutcome outcome = m_send(text);
    if (terminationRequested()) {
        m_log.line(QStringLiteral("%1 not sent: stopping").arg(quoted(text)));
        return;
    }
    if (outcome.sent) {
        m_onAir = text;
        if (m_pending == text)
            m_pending.reset();
        m_log.line(m_failedAttempts > 0
                       ? QStringLiteral("%1 sent (attempt %2)").arg(quoted(text)).arg(m_failedAttempts + 1)
                       : QStringLiteral("%1 sent").arg(quoted(text)));
        m_retryMs = 0;
        m_failedAttempts = 0;
        if (m_pending)
            m_next.start(0);
        finishIfDone();
        return;
    }
    m_onAir.reset();
    ++m_failedAttempts;
    m_retryMs = nextRetryDelayMs(m_retryMs);
    m_log.line(QStringLiteral("%1 not sent (attempt %2): %3 Next attempt in %4 s.")
                   .arg(quoted(text))
                   .arg(m_failedAttempts)
                   .arg(outcome.failure)
                   .arg(m_retryMs / 1000));
    m_next.start(m_retryMs);
}

} // namespace brevolan::cli
