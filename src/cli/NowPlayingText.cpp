#include "cli/NowPlayingText.h"

#include <QStringDecoder>

namespace brevolan::cli {

NowPlayingText nowPlayingText(const QString &line, const QString &prefix, int limit)
{
    NowPlayingText result;
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return result;
    result.plain = toPlainText(prefix + trimmed);
    result.fullLength = int(result.plain.text.size());
    result.cut = result.fullLength > limit;
    // Receivers show the text as it comes; blanks left at the cut are no use.
    QString text = result.plain.text.left(limit);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    result.text = text;
    return result;
}

QString decodeLine(QByteArray bytes)
{
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Windows-1252 is Latin-1 plus typographic quotes and dashes in the
    // codes Latin-1 leaves to control characters; Qt has it through ICU.
    QStringDecoder windows("windows-1252");
    if (windows.isValid()) {
        const QString decoded = windows.decode(bytes);
        if (!windows.hasError())
            return decoded;
    }
    return QString::fromLatin1(bytes);
}

QString firstLineOf(const QByteArray &contents)
{
    const qsizetype end = contents.indexOf('\n');
    return decodeLine(end < 0 ? contents : contents.left(end));
}

} // namespace brevolan::cli
