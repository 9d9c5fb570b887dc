#pragma once
// The fixed value lists of the list parameters, as the window shows them.
// A list parameter's value is the index of its entry; -1 means no entry.

#include "model/Parameter.h"
#include <QLocale>
#include <QStringList>

namespace brevolan {

// Programme-type names indexed by PTY code, as stored (EN 50067 annex F for
// RDS, NRSC-4 for RBDS); shown upper case.
const QStringList &rdsPtyNames();
const QStringList &rbdsPtyNames();

// FillPtyList: the 32 names of the mode, upper case under the locale.
QStringList ptyList(bool rbds, const QLocale &locale = QLocale());
// FillAfList: "NO AF" then 87.60 ... 107.90 (entry k = 87.5 + 0.1 k MHz, the
// RDS AF code), with the locale's decimal separator.
QStringList afList(const QLocale &locale = QLocale());
QStringList speedList();      // "2400" ... "115200"
QStringList msList();         // "SPEECH", "MUSIC"
QStringList offOnList();      // "OFF", "ON" (TA, TP, ECHO)
QStringList parseList();      // "0" ... "9"
QStringList dpssList();       // "OFF", "1 - SLOW", "2" ... "8", "9 - FAST" (DPSS, DRTS)
QStringList diList();         // "MONO", "STEREO"

// The entries of any list parameter (PTY in the given mode).
QStringList entriesOf(Param p, bool rbds, const QLocale &locale = QLocale());
// Number of entries of a list parameter (0 for text parameters).
int listSize(Param p);

} // namespace brevolan
