#pragma once
#include <QByteArray>
#include <QList>

namespace brevolan {

// The position of the first expected text (in list order) that occurs
// anywhere in reply, case-sensitive; -1 when none does. An empty expected
// text never matches.
int matchExpected(const QByteArray &reply, const QList<QByteArray> &expected);

} // namespace brevolan
