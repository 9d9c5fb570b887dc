#include "cli/Transliterate.h"

#include <QHash>

namespace brevolan::cli {

namespace {

// Letters and punctuation without a decomposition to plain letters, spelt as
// readers of the languages concerned spell them without the special letter.
const QHash<char32_t, QString> &plainLetters()
{
    static const QHash<char32_t, QString> table = [] {
        QHash<char32_t, QString> t;
        const struct {
            char32_t c;
            const char *plain;
        } entries[] = {
            {U'ß', "ss"},  {U'ẞ', "SS"},  {U'Æ', "AE"}, {U'æ', "ae"}, {U'Ø', "O"},  {U'ø', "o"},
            {U'Œ', "OE"},  {U'œ', "oe"},  {U'Ł', "L"},  {U'ł', "l"},  {U'Đ', "D"},  {U'đ', "d"},
            {U'Ð', "D"},   {U'ð', "d"},   {U'Þ', "TH"}, {U'þ', "th"}, {U'ı', "i"},  {U'Ħ', "H"},
            {U'ħ', "h"},   {U'Ŧ', "T"},   {U'ŧ', "t"},  {U'ĸ', "k"},  {U'Ŋ', "N"},  {U'ŋ', "n"},
            {U'ſ', "s"},   {U'‘', "'"},   {U'’', "'"},  {U'‚', "'"},  {U'‛', "'"},  {U'′', "'"},
            {U'´', "'"},   {U'“', "\""}, {U'”', "\""}, {U'„', "\""}, {U'‟', "\""},
            {U'″', "\""},  {U'«', "\""},  {U'»', "\""}, {U'‹', "'"},  {U'›', "'"},  {U'‐', "-"},
            {U'‑', "-"},   {U'‒', "-"},   {U'–', "-"},  {U'—', "-"},  {U'―', "-"},  {U'−', "-"},
            {U'·', "-"},   {U'•', "-"},   {U'×', "x"},  {U'÷', "/"},  {U'¡', "!"},  {U'¿', "?"},
            {U'€', "EUR"}, {U'©', "(C)"}, {U'®', "(R)"}, {U'⁄', "/"},
        };
        for (const auto &e : entries)
            t.insert(e.c, QString::fromUtf8(e.plain));
        return t;
    }();
    return table;
}

bool isPlain(char32_t c) { return c >= 0x20 && c <= 0x7E; }

bool isMark(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// The plain form of one character other than printable ASCII; false when
// there is none.
bool plainFormOf(char32_t c, QString &plain)
{
    plain.clear();
    if (const auto it = plainLetters().constFind(c); it != plainLetters().constEnd()) {
        plain = *it;
        return true;
    }
    if (isMark(c))
        return true;   // a mark left over after composition: it goes
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    for (const char32_t d : decomposed.toUcs4()) {
        if (isMark(d))
            continue;
        if (isPlain(d)) {
            plain += QChar(d);
        } else if (const auto it = plainLetters().constFind(d); it != plainLetters().constEnd()) {
            plain += *it;
        } else if (QChar::isSpace(d)) {
            plain += QLatin1Char(' ');
        } else {
            plain.clear();
            return false;
        }
    }
    // "ﬁ" decomposes to "fi"; a character that decomposes to marks alone goes.
    return true;
}

QString shown(char32_t c)
{
    if (QChar::isPrint(c) && !isMark(c))
        return QString::fromUcs4(&c, 1);
    return QStringLiteral("U+") + QString::number(quint32(c), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

} // namespace

PlainText toPlainText(const QString &text)
{
    PlainText result;
    // Composed first, so that "e" followed by a combining acute is one "é"
    // for the log, as it is for the reader.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString plain;
    for (const char32_t c : composed.toUcs4()) {
        if (isPlain(c)) {
            result.text += QChar(c);
            continue;
        }
        if (QChar::isSpace(c)) {
            result.text += QLatin1Char(' ');
            continue;
        }
        if (plainFormOf(c, plain)) {
            result.text += plain;
            const QString entry = shown(c) + QStringLiteral("→") + (plain.isEmpty() ? QStringLiteral("\"\"") : plain);
            if (!result.replacements.contains(entry))
                result.replacements << entry;
        } else {
            result.text += QLatin1Char('?');
            const QString entry = shown(c);
            if (!result.unknown.contains(entry))
                result.unknown << entry;
        }
    }
    return result;
}

QString describeReplacements(const PlainText &plain)
{
    QStringList parts;
    if (!plain.replacements.isEmpty())
        parts << QStringLiteral("replaced ") + plain.replacements.join(QStringLiteral(", "));
    if (!plain.unknown.isEmpty())
        parts << QStringLiteral("no plain form for %1 (sent as ?)").arg(plain.unknown.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("; "));
}

} // namespace brevolan::cli
