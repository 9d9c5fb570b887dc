#include "operations/Protocol.h"

#include "common/BrevolanError.h"
#include "link/CutToken.h"
#include "link/DeviceConnection.h"
#include "model/ParameterModel.h"

namespace brevolan {

namespace {
const QByteArray Ok = QByteArrayLiteral("OK");
// Never part of anything the encoder sends: upper-case keys, digits, values
// the user typed in upper case, "OK" and "NO".
const QByteArray NeverSent = QByteArrayLiteral("qzxjvw");
} // namespace

QStringList replyLines(const QByteArray &reply)
{
    QStringList lines;
    QString rest = QString::fromLatin1(reply);
    while (!rest.isEmpty()) {
        const QString line = trimControl(CutToken(rest, QLatin1Char('\r')));
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

std::optional<QString> valueLineOf(const QByteArray &reply, int minimumLines)
{
    const QStringList lines = replyLines(reply);
    if (lines.isEmpty() || lines.last() != QLatin1String("OK") || lines.size() < minimumLines)
        return std::nullopt;
    return lines.at(lines.size() - 2);
}

Protocol::Protocol(DeviceConnection &link, const ParameterModel &model) : m_link(link), m_model(model) {}

std::optional<QString> Protocol::queryValue(const QByteArray &key, bool echoAware)
{
    m_link.SendCommand(key + "?\r");
    QByteArray reply;
    if (m_link.WaitReply({Ok}, timeouts::Parameter, reply) != 0)
        return std::nullopt;
    const bool echoOn = m_model.index(Param::ECHO) == 1;
    return valueLineOf(reply, echoAware && echoOn ? 3 : 2).value_or(QString());
}

QString Protocol::QueryParameter(const QByteArray &key, bool echoAware)
{
    return queryValue(key, echoAware).value_or(QString());
}

void Protocol::SetParameter(const QByteArray &commandLine, int timeoutMs, bool noWait)
{
    m_link.SendCommand(commandLine + '\r');
    if (noWait)
        return;
    // Any reply holding "OK" in time counts, an echoed command before it included.
    QByteArray reply;
    if (m_link.WaitReply({Ok}, timeoutMs, reply) < 0)
        throw BrevolanError(communicationsErrorText());
}

void Protocol::DrainInput()
{
    QByteArray discarded;
    m_link.WaitReply({NeverSent}, timeouts::Drain, discarded);
}

} // namespace brevolan
