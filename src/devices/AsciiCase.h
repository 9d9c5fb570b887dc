#pragma once
// FTDI strings are plain ASCII as the chip reports them; comparing them
// "without regard to case" folds the ASCII letters only, never by locale.

#include <QString>

namespace brevolan {

inline bool asciiEqualsIgnoreCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
        if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace brevolan
