#include "link/DeviceId.h"

#include "link/CutToken.h"

#include <QRegularExpression>

namespace brevolan {

SerialDevId parseSerialDevId(const QString &devId)
{
    QString s = devId;
    CutToken(s, QLatin1Char(','));
    SerialDevId out;
    out.port = trimControl(CutToken(s, QLatin1Char(',')));
    out.speed = trimControl(s);
    return out;
}

QString usbSerialOf(const QString &devId)
{
    QString s = devId;
    CutToken(s, QLatin1Char(','));
    return trimControl(s);
}

QString presenceSerialOf(const QString &devId)
{
    return trimControl(devId.toUpper().mid(2));
}

QString serialDevId(const QString &port, const QString &speed)
{
    return QStringLiteral("1, ") + port + QStringLiteral(", ") + speed;
}

QString usbDevId(const QString &serialNumber) { return QStringLiteral("2, ") + serialNumber; }

QString deviceDisplayName(const QString &devId)
{
    QString s = devId;
    CutToken(s, QLatin1Char(','));
    const QString shown = trimControl(s);
    return isUsbDevId(devId) ? QStringLiteral("USB ") + shown : shown;
}

QString serialPortPath(const QString &portName)
{
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    const QRegularExpressionMatch m = com.match(portName);
    if (m.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
    return QStringLiteral("/dev/") + portName;
}

} // namespace brevolan
