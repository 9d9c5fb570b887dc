#include "operations/EncoderOperations.h"

#include "common/BrevolanError.h"
#include "common/Prompts.h"
#include "link/CutToken.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/DeviceId.h"
#include "link/Preferences.h"
#include "link/TXComm.h"
#include "model/IntegerText.h"
#include "model/ParameterModel.h"
#include "operations/OperationUi.h"
#include "operations/Protocol.h"

#include <QElapsedTimer>
#include <QScopeGuard>

namespace brevolan {

namespace {

// The encoder comes back from "INIT" at this speed.
const QString FactorySpeed = QStringLiteral("9600");
constexpr int SpeedSwitchPauseMs = 500;

// Closes the link after body, also when body raises. On that way out a
// failing close is swallowed: the first error is the one the user needs.
template <typename Body>
void closingLink(DeviceConnection &link, Body body)
{
    try {
        body();
    } catch (...) {
        try {
            link.CloseDevice();
        } catch (...) {
        }
        throw;
    }
    link.CloseDevice();
}

QByteArray commandLine(Param p, const QByteArray &value)
{
    return QByteArray(parameterInfo(p).key) + '=' + value;
}

bool isEchoAwareText(Param p) { return p == Param::DPS || p == Param::TEXT || p == Param::PS; }

// The revision in a received line, the text after "REV=" with its line end
// and blanks dropped; nothing when the line is not the revision line.
std::optional<QString> revisionIn(const QByteArray &line)
{
    const qsizetype at = line.indexOf("REV=");
    if (at < 0)
        return std::nullopt;
    return QString::fromLatin1(trimControl(line.mid(at + 4)));
}

// The encoder went away during the exchange: the serial port hung up (the
// wait loop closed it), or the USB device no longer answers the queue-status
// query (unplugged). Unlike a timeout, nothing later can be answered.
bool linkLost(DeviceConnection &link)
{
    if (isSerialDevId(link.state().devId))
        return !link.xcomm().isOpen();
    return GetFTQueueStatus() != ftstatus::Ok;
}

} // namespace

QString EncoderOperations::doneText() { return QStringLiteral("Done."); }

QString EncoderOperations::resetQuestion()
{
    return QStringLiteral("Do you really want to restore factory setings of the encoder?");
}

QString EncoderOperations::cannotSaveText() { return QStringLiteral("Can't save settings."); }

QString EncoderOperations::noSpeedText()
{
    return QStringLiteral("No speed selected: choose the encoder's speed in the SPEED list before sending.");
}

QString sendRefusal(const ParameterSet &values)
{
    if (values.speedText().isEmpty())
        return EncoderOperations::noSpeedText();
    // The line is single-byte text ended by CR: a character without a
    // Latin-1 code would arrive as "?", a control character would cut the
    // command short and send its rest as a command of its own.
    for (const ParameterInfo &info : parameterTable()) {
        if (info.kind != ParamKind::Text)
            continue;
        for (const QChar c : values.text(info.param)) {
            if (c.unicode() > 255)
                return QStringLiteral("Cannot send %1: the character \"%2\" has no single-byte (Latin-1) code.")
                    .arg(QLatin1String(info.key), QString(c));
            if (c.unicode() < 32)
                return QStringLiteral("Cannot send %1: it holds the control character %2, which the command line cannot carry.")
                    .arg(QLatin1String(info.key))
                    .arg(c.unicode());
        }
    }
    return QString();
}

EncoderOperations::EncoderOperations(ParameterModel &model, DeviceConnection &link,
                                     Preferences &preferences, Prompts &prompts, OperationUi &ui)
    : m_model(model), m_link(link), m_preferences(preferences), m_prompts(prompts), m_ui(ui)
{
}

// ---- Read From Encoder ------------------------------------------------------

void EncoderOperations::ReadRDSBtnClick()
{
    if (m_readBusy)
        return;
    m_readBusy = true;
    m_ui.setBusyCursor(true);
    m_ui.setProgress(0);
    const auto cleanUp = qScopeGuard([this] {
        m_readBusy = false;
        m_ui.setProgress(0);
        m_ui.setBusyCursor(false);
    });
    if (!m_link.OpenDevice())
        return;
    closingLink(m_link, [this] { readParameters(); });
}

void EncoderOperations::readParameters()
{
    Protocol protocol(m_link, m_model);
    protocol.DrainInput();
    // A query left unanswered leaves its field at the default and the read
    // goes on; but once the encoder is gone every later field would be
    // invented, and "Done." would report a read that did not happen.
    auto query = [&](const QByteArray &key, bool echoAware) {
        const std::optional<QString> value = protocol.queryValue(key, echoAware);
        if (!value && linkLost(m_link))
            throw BrevolanError(communicationsErrorText());
        return value.value_or(QString());
    };
    int step = 0;
    for (const ParameterInfo &info : parameterTable()) {
        const Param p = info.param;
        const QByteArray key(info.key);
        if (p == Param::PI) {
            m_model.setText(p, query(key, false));
            if (m_model.text(p).size() != 4)
                throw BrevolanError(communicationsErrorText());
            // Raises the conversion error for a PI that is no hexadecimal number.
            m_model.convertPiToCall();
        } else if (p == Param::SPEED) {
            m_model.selectSpeed(query(key, false));
        } else if (info.kind == ParamKind::List) {
            // TA's colour follows through the model's change signal.
            m_model.setIndex(p, integerOr(query(key, false), 0));
        } else {
            // ECHO has been read by now: the echo-aware queries use the
            // encoder's own setting.
            m_model.setText(p, trimControl(query(key, isEchoAwareText(p))));
        }
        m_ui.setProgress(++step);
    }
    m_prompts.information(doneText());
}

// ---- Send To Encoder --------------------------------------------------------

void EncoderOperations::SendToRDSBtnClick()
{
    if (m_sendBusy)
        return;
    const ParameterSet values = m_model.values();
    const QString refusal = sendRefusal(values);
    if (!refusal.isEmpty())
        throw BrevolanError(refusal);

    m_sendBusy = true;
    m_ui.setBusyCursor(true);
    m_ui.setProgress(0);
    const auto cleanUp = qScopeGuard([this] {
        m_sendBusy = false;
        m_ui.setProgress(0);
        m_ui.setBusyCursor(false);
    });
    if (!m_link.OpenDevice())
        return;

    LinkState &state = m_link.state();
    const QString speed = values.speedText();
    qint32 previousUsbRate = state.usbBaudRate;
    closingLink(m_link, [&] {
        sendParameters(values);
        if (isUsbDevId(state.devId)) {
            previousUsbRate = state.usbBaudRate;
            state.usbBaudRate = speed.toInt();
        }
    });
    if (isSerialDevId(state.devId))
        setSerialSpeed(speed);

    m_ui.pause(SpeedSwitchPauseMs);
    if (m_link.OpenDevice()) {
        closingLink(m_link, [this] {
            Protocol protocol(m_link, m_model);
            protocol.DrainInput();
            protocol.SetParameter(QByteArrayLiteral("SAVE"), timeouts::Save);
            m_prompts.information(doneText());
        });
    } else if (isUsbDevId(state.devId)) {
        state.usbBaudRate = previousUsbRate;
    }
}

void EncoderOperations::sendParameters(const ParameterSet &values)
{
    Protocol protocol(m_link, m_model);
    protocol.DrainInput();
    int step = 0;
    for (const ParameterInfo &info : parameterTable()) {
        const QByteArray line = commandLine(info.param, values.wireValue(info.param));
        // The encoder answers SPEED at its old speed and switches right
        // after: the answer is not worth waiting for.
        const bool isSpeed = info.param == Param::SPEED;
        protocol.SetParameter(line, timeouts::Parameter, isSpeed);
        m_ui.setProgress(++step);
    }
}

// The serial DevID follows the encoder's new speed at once, in memory, in the
// store and in the status panel.
void EncoderOperations::setSerialSpeed(const QString &speed)
{
    LinkState &state = m_link.state();
    state.devId = serialDevId(parseSerialDevId(state.devId).port, speed);
    try {
        m_preferences.writeDevId(state.devId);
    } catch (...) {
        // The panel shows the device in use even when the store failed.
        m_ui.deviceIdChanged();
        throw;
    }
    m_ui.deviceIdChanged();
}

// ---- Factory reset ----------------------------------------------------------

void EncoderOperations::miResetClick()
{
    if (!m_prompts.confirm(resetQuestion()))
        return;
    factoryReset();
}

void EncoderOperations::factoryReset()
{
    m_ui.setBusyCursor(true);
    const auto cleanUp = qScopeGuard([this] { m_ui.setBusyCursor(false); });
    if (!m_link.OpenDevice())
        return;

    LinkState &state = m_link.state();
    closingLink(m_link, [this] {
        Protocol(m_link, m_model).DrainInput();
        // No answer: the encoder restarts with its factory settings.
        m_link.SendCommand(QByteArrayLiteral("INIT\r"));
    });
    const qint32 previousUsbRate = state.usbBaudRate;
    if (isUsbDevId(state.devId))
        state.usbBaudRate = FactorySpeed.toInt();
    if (isSerialDevId(state.devId))
        setSerialSpeed(FactorySpeed);

    if (m_link.OpenDevice()) {
        closingLink(m_link, [this] {
            Protocol(m_link, m_model).DrainInput();
            m_link.SendCommand(QByteArrayLiteral("SAVE\r"));
            QByteArray reply;
            if (m_link.WaitReply({QByteArrayLiteral("OK")}, timeouts::Save, reply) < 0)
                throw BrevolanError(cannotSaveText());
        });
    } else if (isUsbDevId(state.devId)) {
        state.usbBaudRate = previousUsbRate;
    }
    ReadRDSBtnClick();
}

// ---- Firmware revision ------------------------------------------------------

QString EncoderOperations::firmwareRevision()
{
    m_ui.setBusyCursor(true);
    const auto cleanUp = qScopeGuard([this] { m_ui.setBusyCursor(false); });
    if (!m_link.OpenDevice())
        return QString();
    QString revision;
    closingLink(m_link, [&] { revision = exchangeRevision(); });
    return revision;
}

// The answer is the line "REV=" + revision. Before it may come what the
// handshake left (the line end after "NO") and, with the echo on, the command
// repeated; all of it within two revision timeouts.
QString EncoderOperations::exchangeRevision()
{
    m_link.SendCommand(QByteArrayLiteral("REV\r"));
    const QList<QByteArray> lineEnds{QByteArrayLiteral("\r"), QByteArrayLiteral("\n")};
    const qint64 budget = 2 * timeouts::Revision;
    QElapsedTimer clock;
    clock.start();
    QByteArray line;
    for (;;) {
        const qint64 left = budget - clock.elapsed();
        if (left <= 0)
            break;
        QByteArray received;
        const int found = m_link.WaitReply(lineEnds, static_cast<int>(left), received);
        line += received;
        if (found < 0)
            break;
        if (const auto revision = revisionIn(line))
            return *revision;
        line.clear();
    }
    // A revision line whose line end did not come in time counts as it is.
    return revisionIn(line).value_or(QString());
}

} // namespace brevolan
