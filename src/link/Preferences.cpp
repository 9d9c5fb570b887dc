#include "link/Preferences.h"

#include "common/BrevolanError.h"
#include "link/DeviceId.h"

#include <QSettings>
#include <QStringList>

namespace brevolan {

namespace {
constexpr const char *Organization = "Tarvenix";
constexpr const char *Application = "ostrel9";

void writeValue(const QString &name, const QString &value)
{
    QSettings store(QString::fromLatin1(Organization), QString::fromLatin1(Application));
    store.setValue(name, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        throw BrevolanError(QStringLiteral("Cannot write the setting %1 to %2")
                                .arg(name, store.fileName()));
}
} // namespace

QString Preferences::readDevId() const
{
    QSettings store(QString::fromLatin1(Organization), QString::fromLatin1(Application));
    const QVariant v = store.value(QStringLiteral("DevID"));
    // A hand-edited unquoted "DevID=1, COM1, 9600" reads back as a list.
    QString devId = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QStringLiteral(", "))
                                                         : v.toString();
    // An empty identifier has no kind: it counts as missing.
    if (devId.trimmed().isEmpty())
        devId = DefaultDevId;
    return devId;
}

int Preferences::readRdsMode() const
{
    QSettings store(QString::fromLatin1(Organization), QString::fromLatin1(Application));
    bool ok = false;
    const int mode = store.value(QStringLiteral("RDSMode"), QStringLiteral("1")).toString().toInt(&ok);
    return ok ? mode : 1;
}

void Preferences::writeDevId(const QString &devId) { writeValue(QStringLiteral("DevID"), devId); }

void Preferences::writeRdsMode(int mode)
{
    // A string value, as the store has always held it (never a number).
    writeValue(QStringLiteral("RDSMode"), QString::number(mode));
}

} // namespace brevolan
