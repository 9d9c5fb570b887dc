#include "model/IntegerText.h"

namespace brevolan {

std::optional<int> parseInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' ')) ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0')
               && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const int digit = QStringView(text).mid(i, 1).toInt(nullptr, 16);
        const QChar c = text.at(i);
        const bool isDec = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool isHex = isDec || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        if (base == 10 ? !isDec : !isHex)
            return std::nullopt;
        value = value * base + digit;
        // Hexadecimal may use all 32 bits (as "$FFFFFFFF" = -1); decimal must fit.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return std::nullopt;
    }
    if (base == 16 && value > 0x7FFFFFFFLL)
        value -= 0x100000000LL;
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL || value < -0x80000000LL)
        return std::nullopt;
    return static_cast<int>(value);
}

int integerOr(const QString &text, int fallback)
{
    return parseInteger(text).value_or(fallback);
}

} // namespace brevolan
