#pragma once
// PI code and call letters of North American stations (NRSC-4, annex D):
// an arithmetic mapping for four-letter K and W calls, two remapping rules
// for codes with zero digits, and a table of fixed assignments.

#include <QString>
#include <QList>
#include <cstdint>
#include <utility>

namespace brevolan {

// 0 when the text is not a four-letter call beginning with K or W.
std::uint16_t CallToPI(const QString &call);
// Call letters, or "----" when the code has none.
QString PIToCall(std::uint16_t pi);

// The codes with fixed call letters (three-letter calls, Canadian calls).
const QList<std::pair<std::uint16_t, QString>> &fixedCallAssignments();

// "-->": the PI field's text with "$" put in front, parsed as up to eight
// hexadecimal digits; the low 16 bits are the code. Throws
// "'$text' is not a valid integer value" when it does not parse.
std::uint16_t piFromFieldText(const QString &pi1Text);

// "<--": four upper-case hex digits with leading zeros.
QString piToFieldText(std::uint16_t pi);

} // namespace brevolan
