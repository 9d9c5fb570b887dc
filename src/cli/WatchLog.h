#pragma once
// The watch's log: one line per event on stderr, each beginning with the
// local time in ISO 8601 with milliseconds and the offset from UTC
// ("2026-12-11T14:05:09.412+01:00 TEXT="Artist - Title" sent").

#include <QDateTime>
#include <QString>
#include <cstdio>

namespace brevolan::cli {

QString logTimestamp(const QDateTime &localTime);

class WatchLog {
public:
    explicit WatchLog(FILE *stream) : m_stream(stream) {}
    void line(const QString &message);

private:
    FILE *m_stream;
};

} // namespace brevolan::cli
