#include "devices/SerialPortList.h"

#include "common/BrevolanError.h"
#include "link/CutToken.h"
#include "link/DeviceId.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

namespace brevolan {

std::optional<QStringList> systemSerialPorts()
{
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths << info.systemLocation();
    return paths;
}

QString comPortDisplayName(const QString &devicePath)
{
    static const QRegularExpression motherboard(QStringLiteral("^/dev/ttyS([0-9]+)$"));
    static const QRegularExpression inDev(QStringLiteral("^/dev/([^/]+)$"));
    if (devicePath.contains(QLatin1Char(',')) || trimControl(devicePath) != devicePath
        || devicePath.isEmpty())
        return {};
    const QRegularExpressionMatch m = motherboard.match(devicePath);
    if (m.hasMatch()) {
        bool ok = false;
        const int n = m.captured(1).toInt(&ok);
        if (ok && n < 1000000)
            return QStringLiteral("COM%1").arg(n + 1);
    }
    QString name = devicePath;
    const QRegularExpressionMatch d = inDev.match(devicePath);
    if (d.hasMatch())
        name = d.captured(1);
    // A bare name that looks like "COMn" would open /dev/ttyS(n-1), not
    // itself: keep the path so that the same port opens again.
    if (serialPortPath(name) != devicePath)
        return devicePath;
    return name;
}

namespace {
struct SortKey {
    int group;          // 0: COMn, 1: bare names, 2: paths
    QString stem;       // the name without its trailing number
    qint64 number;      // the trailing number, -1 without one
    QString name;
};

SortKey sortKey(const QString &name)
{
    static const QRegularExpression trailing(QStringLiteral("^(.*?)([0-9]{1,15})$"));
    SortKey k{name.startsWith(QLatin1Char('/')) ? 2 : 1, name, -1, name};
    const QRegularExpressionMatch m = trailing.match(name);
    if (m.hasMatch()) {
        k.stem = m.captured(1);
        k.number = m.captured(2).toLongLong();
    }
    if (k.group == 1 && k.stem == QLatin1String("COM") && k.number >= 0)
        k.group = 0;
    return k;
}
} // namespace

bool comPortNameLess(const QString &a, const QString &b)
{
    const SortKey x = sortKey(a), y = sortKey(b);
    if (x.group != y.group) return x.group < y.group;
    if (x.stem != y.stem) return x.stem < y.stem;
    if (x.number != y.number) return x.number < y.number;
    return x.name < y.name;
}

bool ListComPorts(QStringList &list, const PortEnumerator &enumerate)
{
    const std::optional<QStringList> paths = enumerate ? enumerate() : systemSerialPorts();
    if (!paths)
        throw BrevolanError(QStringLiteral("EnumPorts failed."));
    if (paths->isEmpty())
        return true;
    QStringList names;
    for (const QString &path : *paths) {
        const QString name = comPortDisplayName(path);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    std::sort(names.begin(), names.end(), comPortNameLess);
    list = names;
    return true;
}

} // namespace brevolan
