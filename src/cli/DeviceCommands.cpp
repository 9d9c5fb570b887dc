#include "cli/DeviceCommands.h"

#include "cli/SimulatedUsb.h"
#include "common/BrevolanError.h"
#include "common/Prompts.h"
#include "files/SettingsFile.h"
#include "files/SettingsFileWriter.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/DeviceId.h"
#include "link/Preferences.h"
#include "link/Termination.h"
#include "model/IntegerText.h"
#include "model/ParameterModel.h"
#include "operations/EncoderOperations.h"
#include "operations/OperationUi.h"
#include "operations/Protocol.h"

#include <QSerialPortInfo>
#include <csignal>
#include <memory>
#include <optional>
#include <unistd.h>

namespace brevolan::cli {

namespace {

const QString EncoderDescription = QStringLiteral("Brevolan 4 RDS/RBDS Encoder");

struct UsageError {
    QString message;
};

void print(FILE *f, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
    std::fflush(f);
}

void printLine(FILE *f, const QString &text) { print(f, text + QLatin1Char('\n')); }

// The boxes of the window become lines on stderr; nothing is ever asked.
class CliPrompts : public Prompts {
public:
    explicit CliPrompts(FILE *err) : m_err(err) {}
    void error(const QString &text) override
    {
        printLine(m_err, withFullStop(text));
        errorShown = true;
    }
    void information(const QString &text) override
    {
        if (text == EncoderOperations::doneText())
            doneShown = true;
    }
    void plain(const QString &text) override { printLine(m_err, text); }
    bool confirm(const QString &) override { return true; }
    QString openFileName(const FileDialogOptions &) override { return QString(); }
    QString saveFileName(const FileDialogOptions &) override { return QString(); }

    bool errorShown = false;
    bool doneShown = false;

private:
    FILE *m_err;
};

// The companion never touches the user's stored preferences: DevID lives in
// memory for the one run.
class MemoryPreferences : public Preferences {
public:
    QString readDevId() const override { return m_devId; }
    int readRdsMode() const override { return 1; }
    void writeDevId(const QString &devId) override { m_devId = devId; }
    void writeRdsMode(int) override {}

private:
    QString m_devId = DefaultDevId;
};

// Progress on stderr, and only for a person watching a terminal.
class CliUi : public OperationUi {
public:
    CliUi(FILE *err, QString label) : m_err(err), m_label(std::move(label)), m_tty(isatty(fileno(err)) == 1) {}
    void setProgress(int value) override
    {
        if (!m_tty)
            return;
        if (value > 0) {
            print(m_err, QStringLiteral("\r%1 %2/%3").arg(m_label).arg(value).arg(ParameterCount));
            m_shown = true;
        } else if (m_shown) {
            print(m_err, QStringLiteral("\r\033[K"));
            m_shown = false;
        }
    }
    void setBusyCursor(bool) override {}
    void deviceIdChanged() override {}

private:
    FILE *m_err;
    QString m_label;
    bool m_tty;
    bool m_shown = false;
};

struct Options {
    QString devId;
    QString output;
    bool save = false;
    QStringList positional;
};

Options parseOptions(const QString &command, const QStringList &args)
{
    Options o;
    bool hasDevice = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&](const QString &name) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1: %2 needs a value").arg(command, name)};
            return args.at(++i);
        };
        if (a == QLatin1String("--device") || a == QLatin1String("-d")) {
            o.devId = value(a);
            hasDevice = true;
        } else if (a.startsWith(QLatin1String("--device="))) {
            o.devId = a.mid(9);
            hasDevice = true;
        } else if (command == QLatin1String("read") && (a == QLatin1String("-o") || a == QLatin1String("--output"))) {
            o.output = value(a);
        } else if (command == QLatin1String("set") && a == QLatin1String("--save")) {
            o.save = true;
        } else if (a == QLatin1String("--")) {
            o.positional << args.mid(i + 1);
            break;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw UsageError{QStringLiteral("%1: unknown option %2").arg(command, a)};
        } else {
            o.positional << a;
        }
    }
    if (command != QLatin1String("devices")) {
        if (!hasDevice)
            throw UsageError{QStringLiteral("%1: --device DEVID is required (\"1, /dev/ttyUSB0, 9600\" or \"2, SERIAL\")")
                                 .arg(command)};
        if (!isSerialDevId(o.devId) && !isUsbDevId(o.devId))
            throw UsageError{QStringLiteral("%1: \"%2\" is no device identifier: \"1, PORT, SPEED\" or \"2, SERIAL\"")
                                 .arg(command, o.devId)};
    }
    return o;
}

// A parameter key as the encoder knows it, in any letter case.
std::optional<Param> paramOfKey(const QString &key)
{
    for (const ParameterInfo &info : parameterTable())
        if (key.compare(QLatin1String(info.key), Qt::CaseInsensitive) == 0)
            return info.param;
    return std::nullopt;
}

Param requireKey(const QString &command, const QString &key)
{
    const auto p = paramOfKey(key);
    if (!p)
        throw UsageError{QStringLiteral("%1: unknown parameter key \"%2\"").arg(command, key)};
    return *p;
}

// The texts whose query must know whether the encoder echoes commands.
bool isEchoAware(Param p) { return p == Param::DPS || p == Param::TEXT || p == Param::PS; }

// Everything one device command works with, wired as the window wires it.
struct Session {
    Session(const QString &devId, FILE *err, const QString &label)
        : prompts(err), ui(err, label), link(state, prompts),
          operations(model, link, preferences, prompts, ui), m_err(err)
    {
        state.devId = devId;
        preferences.writeDevId(devId);
    }

    // When the window would show nothing (a USB device that did not open),
    // the companion still says why it failed.
    int failed()
    {
        if (!prompts.errorShown)
            printLine(m_err, isUsbDevId(state.devId)
                                 ? QStringLiteral("Cannot open the USB encoder \"%1\".").arg(usbSerialOf(state.devId))
                                 : communicationsErrorText());
        return 1;
    }

    ParameterModel model;
    LinkState state;
    CliPrompts prompts;
    CliUi ui;
    MemoryPreferences preferences;
    DeviceConnection link;
    EncoderOperations operations;

private:
    FILE *m_err;
};

int writeSettings(const ParameterModel &model, const QString &output, FILE *out, FILE *err)
{
    if (!output.isEmpty()) {
        SaveSettingsFile(model, output);
        return 0;
    }
    if (const auto bad = firstUnstorableCharacter(model.values())) {
        printLine(err, withFullStop(describeUnstorable(*bad)));
        return 1;
    }
    const QByteArray text = settingsFileText(model.values());
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), out);
    std::fflush(out);
    return 0;
}

int readCommand(const Options &o, FILE *out, FILE *err)
{
    if (!o.positional.isEmpty())
        throw UsageError{QStringLiteral("read: unexpected argument %1").arg(o.positional.first())};
    Session s(o.devId, err, QStringLiteral("Reading"));
    s.operations.ReadRDSBtnClick();
    if (!s.prompts.doneShown)
        return s.failed();
    return writeSettings(s.model, o.output, out, err);
}

int sendCommand(const Options &o, FILE *out, FILE *err)
{
    if (o.positional.size() != 1)
        throw UsageError{QStringLiteral("send: one settings file expected")};
    Session s(o.devId, err, QStringLiteral("Sending"));
    LoadSettingsFile(s.model, o.positional.first());
    s.operations.SendToRDSBtnClick();
    if (!s.prompts.doneShown)
        return s.failed();
    printLine(out, s.state.devId);
    return 0;
}

int resetCommand(const Options &o, FILE *out, FILE *err)
{
    if (!o.positional.isEmpty())
        throw UsageError{QStringLiteral("reset: unexpected argument %1").arg(o.positional.first())};
    Session s(o.devId, err, QStringLiteral("Reading"));
    s.operations.factoryReset();
    if (!s.prompts.doneShown)
        return s.failed();
    return writeSettings(s.model, QString(), out, err);
}

int revCommand(const Options &o, FILE *out, FILE *err)
{
    if (!o.positional.isEmpty())
        throw UsageError{QStringLiteral("rev: unexpected argument %1").arg(o.positional.first())};
    Session s(o.devId, err, QString());
    const QString revision = s.operations.firmwareRevision();
    if (revision.isEmpty()) {
        printLine(err, QStringLiteral("< not connected >"));
        return 1;
    }
    printLine(out, revision);
    return 0;
}

int getCommand(const Options &o, FILE *out, FILE *err)
{
    if (o.positional.isEmpty())
        throw UsageError{QStringLiteral("get: which keys?")};
    QList<Param> params;
    bool anyEchoAware = false;
    for (const QString &key : o.positional) {
        params << requireKey(QStringLiteral("get"), key);
        anyEchoAware = anyEchoAware || isEchoAware(params.last());
    }
    Session s(o.devId, err, QString());
    if (!s.link.OpenDevice())
        return s.failed();
    QStringList lines;
    auto body = [&] {
        Protocol protocol(s.link, s.model);
        protocol.DrainInput();
        auto query = [&](Param p) {
            const auto value = protocol.queryValue(parameterInfo(p).key, isEchoAware(p));
            if (!value)
                throw BrevolanError(communicationsErrorText());
            return *value;
        };
        // With the echo on, an empty text answers just the echoed command
        // and "OK": the encoder's own ECHO setting tells the two apart.
        if (anyEchoAware)
            s.model.setIndex(Param::ECHO, integerOr(query(Param::ECHO), 0));
        for (const Param p : params)
            lines << keyOf(p) + QLatin1Char('=') + query(p);
    };
    try {
        body();
    } catch (...) {
        try {
            s.link.CloseDevice();
        } catch (...) {
        }
        throw;
    }
    s.link.CloseDevice();
    for (const QString &line : lines)
        printLine(out, line);
    return 0;
}

int setCommand(const Options &o, FILE *, FILE *err)
{
    if (o.positional.isEmpty() && !o.save)
        throw UsageError{QStringLiteral("set: which KEY=VALUE pairs?")};
    QList<QByteArray> commandLines;
    for (const QString &pair : o.positional) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            throw UsageError{QStringLiteral("set: \"%1\" is no KEY=VALUE pair").arg(pair)};
        const Param p = requireKey(QStringLiteral("set"), pair.left(eq));
        if (p == Param::SPEED)
            throw UsageError{QStringLiteral("set: SPEED switches the encoder's line speed; use send with a settings file")};
        const QString value = pair.mid(eq + 1);
        for (const QChar c : value)
            if (c.unicode() > 255 || c.unicode() < 32)
                throw UsageError{QStringLiteral("set: the value of %1 holds a character the encoder cannot take (U+%2)")
                                     .arg(keyOf(p))
                                     .arg(c.unicode(), 4, 16, QLatin1Char('0'))};
        commandLines << keyOf(p).toLatin1() + '=' + value.toLatin1();
    }
    Session s(o.devId, err, QString());
    if (!s.link.OpenDevice())
        return s.failed();
    auto body = [&] {
        Protocol protocol(s.link, s.model);
        protocol.DrainInput();
        for (const QByteArray &line : commandLines)
            protocol.SetParameter(line, timeouts::Parameter);
        if (o.save)
            protocol.SetParameter(QByteArrayLiteral("SAVE"), timeouts::Save);
    };
    try {
        body();
    } catch (...) {
        try {
            s.link.CloseDevice();
        } catch (...) {
        }
        throw;
    }
    s.link.CloseDevice();
    return 0;
}

int devicesCommand(const Options &o, FILE *out, FILE *)
{
    if (!o.positional.isEmpty())
        throw UsageError{QStringLiteral("devices: unexpected argument %1").arg(o.positional.first())};
    // The factory speed: what a new or reset encoder runs at.
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts()) {
        QString line = serialDevId(port.systemLocation(), QStringLiteral("9600"));
        if (!port.description().isEmpty())
            line += QLatin1Char('\t') + port.description();
        printLine(out, line);
    }
    if (GetFTDeviceCount() != ftstatus::Ok)
        return 0;
    const quint32 count = FtDeviceCount;
    for (quint32 i = 0; i < count; ++i) {
        if (GetFTDeviceDescription(i) != ftstatus::Ok)
            continue;
        const QString description = FtListedText;
        if (description.compare(EncoderDescription, Qt::CaseInsensitive) != 0)
            continue;
        if (GetFTDeviceSerialNo(i) != ftstatus::Ok)
            continue;
        printLine(out, usbDevId(FtListedText) + QLatin1Char('\t') + description);
    }
    return 0;
}

extern "C" void onTerminationSignal(int) { requestTermination(); }

// Ctrl-C ends a wait for the encoder at once; the link is still closed
// properly on the way out.
void installSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

bool isDeviceCommand(const QString &command)
{
    static const QStringList commands{QStringLiteral("read"), QStringLiteral("send"), QStringLiteral("reset"),
                                      QStringLiteral("rev"),  QStringLiteral("get"),  QStringLiteral("set"),
                                      QStringLiteral("devices")};
    return commands.contains(command);
}

int runDeviceCommand(const QString &command, const QStringList &args, FILE *out, FILE *err)
{
    try {
        const Options o = parseOptions(command, args);
        // The window switches the USB library's boxes off after its start-up;
        // here a failure shows as the command's own message.
        FtErrorReport = false;
        installSimulatedUsbFromEnvironment();
        installSignalHandlers();
        if (command == QLatin1String("read"))
            return readCommand(o, out, err);
        if (command == QLatin1String("send"))
            return sendCommand(o, out, err);
        if (command == QLatin1String("reset"))
            return resetCommand(o, out, err);
        if (command == QLatin1String("rev"))
            return revCommand(o, out, err);
        if (command == QLatin1String("get"))
            return getCommand(o, out, err);
        if (command == QLatin1String("set"))
            return setCommand(o, out, err);
        if (command == QLatin1String("devices"))
            return devicesCommand(o, out, err);
        throw UsageError{QStringLiteral("unknown command %1").arg(command)};
    } catch (const UsageError &e) {
        printLine(err, e.message);
        return 2;
    } catch (const BrevolanError &e) {
        printLine(err, withFullStop(e.message()));
        return 1;
    } catch (const std::exception &e) {
        printLine(err, withFullStop(QString::fromLocal8Bit(e.what())));
        return 1;
    }
}

} // namespace brevolan::cli
