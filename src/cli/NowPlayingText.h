#pragma once
// From a line written by the playout system to the radio text the encoder
// gets: blanks trimmed, the prefix put before it, plain letters only, cut to
// what the field holds.

#include "cli/Transliterate.h"

#include <QByteArray>
#include <QString>

namespace brevolan::cli {

struct NowPlayingText {
    QString text;          // what is sent
    PlainText plain;       // the characters replaced on the way
    int fullLength = 0;    // the length before the cut
    bool cut = false;      // longer than the field: the end was cut off
};

// An empty line (blanks only) clears the radio text: the prefix is not sent
// on its own. limit: the characters the encoder's field holds.
NowPlayingText nowPlayingText(const QString &line, const QString &prefix, int limit);

// Playout systems write UTF-8, older ones their Windows code page: bytes that
// are no valid UTF-8 are read as Windows-1252 (Latin-1 where that is not
// available). A byte order mark and the line end (LF or CR LF) go.
QString decodeLine(QByteArray bytes);

// The first line of a file's contents, decoded.
QString firstLineOf(const QByteArray &contents);

} // namespace brevolan::cli
