#pragma once
// Radio text for receivers that show plain ASCII only: every character the
// encoder's single-byte line cannot be trusted to carry is replaced by its
// closest plain letters ("é" becomes "e", "ß" becomes "ss"), so a listener
// reads "Bjork" rather than "Bj?rk". What has no plain form becomes "?".

#include <QString>
#include <QStringList>

namespace brevolan::cli {

struct PlainText {
    QString text;               // printable ASCII only (codes 32 to 126)
    QStringList replacements;   // "é→e", one per distinct character replaced, in order of appearance
    QStringList unknown;        // characters without a plain form, sent as "?"

    bool changed() const { return !replacements.isEmpty() || !unknown.isEmpty(); }
};

// Unicode normalisation (NFKD) with the combining marks dropped, plus a table
// for the letters and punctuation that do not decompose. Any white space
// becomes a blank.
PlainText toPlainText(const QString &text);

// "é→e, ß→ss; no plain form for 漢 (sent as ?)": the one log line of a text's
// replacements; empty when nothing was replaced.
QString describeReplacements(const PlainText &plain);

} // namespace brevolan::cli
