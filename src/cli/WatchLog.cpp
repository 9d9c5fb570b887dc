#include "cli/WatchLog.h"

namespace brevolan::cli {

QString logTimestamp(const QDateTime &localTime)
{
    // An explicit offset, so that lines read the same in any time zone and
    // across a change to or from summer time.
    return localTime.toOffsetFromUtc(localTime.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

void WatchLog::line(const QString &message)
{
    const QByteArray bytes = (logTimestamp(QDateTime::currentDateTime()) + QLatin1Char(' ') + message).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
}

} // namespace brevolan::cli
