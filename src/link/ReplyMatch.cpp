#include "link/ReplyMatch.h"

namespace brevolan {

int matchExpected(const QByteArray &reply, const QList<QByteArray> &expected)
{
    for (qsizetype i = 0; i < expected.size(); ++i)
        if (!expected.at(i).isEmpty() && reply.contains(expected.at(i)))
            return static_cast<int>(i);
    return -1;
}

} // namespace brevolan
