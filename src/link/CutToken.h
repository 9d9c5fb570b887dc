#pragma once
#include <QString>

namespace brevolan {

// Cuts the text before the first separator out of source and leaves the text
// after it in source; with no separator the whole source is the token and the
// source becomes empty. Nothing is trimmed: callers trim.
QString CutToken(QString &source, QChar separator);

// Trims characters with codes up to 32 (blanks and control characters) from
// both ends, as every reader of DevID and of encoder replies does.
QString trimControl(const QString &text);
QByteArray trimControl(const QByteArray &text);

} // namespace brevolan
