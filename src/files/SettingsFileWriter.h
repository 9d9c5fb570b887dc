#pragma once
// Writes a ParameterSet as an "RDS settings" file: KEY=value lines in the
// canonical order, each ended by CR LF, in Latin-1. A text parameter that is
// empty gets no line; a list without selection is written as -1; SPEED is
// written as its index, not as the speed.

#include "model/ParameterSet.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace brevolan {

// A character that a settings file cannot carry: one outside Latin-1, or a
// CR, LF or NUL, which would split the line or end the text when read back.
struct UnstorableCharacter {
    Param param;
    char32_t character;
};

std::optional<UnstorableCharacter> firstUnstorableCharacter(const ParameterSet &values);

// "PS holds the character "€" (U+20AC)" style description for messages.
QString describeUnstorable(const UnstorableCharacter &u);

// The file's bytes. Call only for values without unstorable characters.
QByteArray settingsFileText(const ParameterSet &values);

} // namespace brevolan
