#pragma once
#include <QDir>

namespace brevolan::test {

// Open descriptors of this process, to show that nothing leaks.
inline int openFdCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                .size());
}

} // namespace brevolan::test
