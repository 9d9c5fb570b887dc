#include "operations/ReadmeLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace brevolan {

QString readmePath()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("../share/doc/brevolan4/README.md"));
    if (QFileInfo(installed).isFile())
        return QDir::cleanPath(installed);
    // A build that was never installed: this file sits in src/operations.
    const QString source = QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../README.md"));
    if (QFileInfo(source).isFile())
        return QDir::cleanPath(source);
    return QString();
}

} // namespace brevolan
