#pragma once
#include <QString>
#include <optional>

namespace brevolan {

// Reads an integer the way settings files and encoder replies write them:
// optional leading blanks, an optional sign, then decimal digits, or
// hexadecimal digits after "$" or "0x". Nothing may follow the digits.
// Values outside 32 bits do not parse.
std::optional<int> parseInteger(const QString &text);

// parseInteger with a fallback for anything that does not parse.
int integerOr(const QString &text, int fallback);

} // namespace brevolan
