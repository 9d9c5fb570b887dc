#include "demo/DemoSettings.h"

#include "common/BrevolanError.h"
#include "link/Preferences.h"

#include <QDir>
#include <QSettings>

namespace brevolan::demo {

QString demoStateDir()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/brevolan4-demo"));
}

QString isolatePreferences(const QString &dir, const QString &firstDevId)
{
    if (!QDir().mkpath(dir))
        return QStringLiteral("cannot create the demo folder %1").arg(dir);
    // NativeFormat is the INI file on Linux; both point at the folder so
    // that no store of the process falls back to ~/.config.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir);

    if (QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).contains(QStringLiteral("DevID")))
        return {};
    try {
        Preferences().writeDevId(firstDevId);
    } catch (const BrevolanError &e) {
        return e.message();
    }
    return {};
}

} // namespace brevolan::demo
