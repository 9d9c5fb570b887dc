#include "files/SettingsFileReader.h"

#include "model/IntegerText.h"

namespace brevolan {

namespace {

// Keys compare without regard to letter case; only ASCII letters fold, so no
// byte of the upper half can ever match a key.
QByteArray asciiLower(QByteArrayView bytes)
{
    QByteArray out(bytes.data(), bytes.size());
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

} // namespace

SettingsFileReader::SettingsFileReader(const QByteArray &bytes)
{
    // A NUL byte ends the text, as it ends a C string.
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView text = QByteArrayView(bytes).first(nul < 0 ? bytes.size() : nul);

    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArrayView line = text.sliced(start, end - start);
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0) {
            const QByteArray key = asciiLower(line.first(eq));
            if (!m_firstValues.contains(key))
                m_firstValues.insert(key, line.sliced(eq + 1).toByteArray());
        }
        // CR LF is one break; a lone CR or LF is one too.
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

std::optional<QString> SettingsFileReader::value(const QString &key) const
{
    const auto it = m_firstValues.constFind(asciiLower(key.toLatin1()));
    if (it == m_firstValues.constEnd())
        return std::nullopt;
    return QString::fromLatin1(it.value());
}

QString SettingsFileReader::text(Param p) const
{
    return value(keyOf(p)).value_or(QString());
}

int SettingsFileReader::index(Param p) const
{
    return integerOr(value(keyOf(p)).value_or(QString()), settingsFileDefault(p));
}

int settingsFileDefault(Param p)
{
    switch (p) {
    case Param::ECHO: return 1;
    case Param::SPEED: return 2;
    default: return 0;
    }
}

} // namespace brevolan
