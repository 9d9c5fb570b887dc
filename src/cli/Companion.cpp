#include "cli/Companion.h"

#include "cli/DeviceCommands.h"
#include "cli/WatchCommand.h"
#include "common/BrevolanError.h"
#include "files/SettingsFile.h"
#include "files/SettingsFileWriter.h"
#include "model/ParameterModel.h"
#include "model/PiCode.h"

namespace brevolan::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char *const Usage =
    "Usage: brevolan4-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Companion of Brevolan 4, the configuration tool for RDS/RBDS encoders.\n"
    "\n"
    "Conversions and settings files:\n"
    "  pi-to-call HEX             print the call letters of a PI code (---- when none)\n"
    "  call-to-pi LETTERS         print the PI code of four-letter K or W call letters\n"
    "                             (0000 for any other text)\n"
    "  check FILE                 read an RDS settings file (.bvx) as File > Open does and\n"
    "                             print it as File > Save would write it\n"
    "\n"
    "Encoder commands (DEVID is \"1, /dev/ttyUSB0, 9600\", \"1, COM1, 9600\" or\n"
    "\"2, FT12AB34\"; the stored preferences are never changed):\n"
    "  read --device DEVID [-o FILE]\n"
    "                             read all parameters; write them as a settings file\n"
    "  send --device DEVID FILE   send a settings file and have the encoder store it\n"
    "  reset --device DEVID       restore the factory settings and read them back\n"
    "  rev --device DEVID         print the firmware revision\n"
    "  get --device DEVID KEY...  print KEY=value for each parameter asked for\n"
    "  set --device DEVID [--save] KEY=VALUE...\n"
    "                             set parameters; --save has the encoder store them\n"
    "  devices                    list serial ports and attached USB encoders\n"
    "  watch --device DEVID [--key TEXT] [--key DPS] [--prefix TEXT] SOURCE\n"
    "                             now playing: keep the radio text up to date with the\n"
    "                             first line of the file SOURCE, or with each line of\n"
    "                             standard input (-); never stored; ends on SIGINT/SIGTERM\n"
    "\n"
    "Options:\n"
    "  -h, --help                 show this help\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(FILE *stream, const QString &text) { print(stream, text.toLocal8Bit() + '\n'); }

int usageError(FILE *err, const QString &message)
{
    printLine(err, QStringLiteral("brevolan4-cli: ") + message);
    printLine(err, QStringLiteral("Try 'brevolan4-cli --help' for more information."));
    return ExitUsage;
}

// The PI code as "-->" reads PI1: "$" + text, up to eight hex digits, low 16 bits.
int piToCall(const QString &hex, FILE *out, FILE *err)
{
    try {
        printLine(out, PIToCall(piFromFieldText(hex)));
        return ExitOk;
    } catch (const BrevolanError &e) {
        printLine(err, e.message());
        return ExitFailed;
    }
}

int callToPi(const QString &letters, FILE *out)
{
    printLine(out, piToFieldText(CallToPI(letters)));
    return ExitOk;
}

// Loads the file into a fresh model (RBDS, start-up values) exactly as Open
// does and prints what Save would write.
int check(const QString &file, FILE *out, FILE *err)
{
    try {
        ParameterModel model;
        LoadSettingsFile(model, file);
        print(out, settingsFileText(model.values()));
        return ExitOk;
    } catch (const BrevolanError &e) {
        printLine(err, withFullStop(e.message()));
        return ExitFailed;
    }
}

} // namespace

int runCompanion(const QStringList &args, FILE *out, FILE *err)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("no command given"));

    const QString command = args.first();
    const QStringList rest = args.mid(1);

    if (command == QLatin1String("--help") || command == QLatin1String("-h")
        || command == QLatin1String("help")) {
        print(out, Usage);
        return ExitOk;
    }
    if (command == QLatin1String("--version")) {
        printLine(out, QStringLiteral("brevolan4-cli " BREVOLAN_VERSION));
        return ExitOk;
    }

    struct Conversion {
        const char *name;
        const char *argument;
    };
    for (const Conversion c : {Conversion{"pi-to-call", "HEX"}, Conversion{"call-to-pi", "LETTERS"},
                               Conversion{"check", "FILE"}}) {
        if (command != QLatin1String(c.name))
            continue;
        if (rest.size() != 1)
            return usageError(err, QStringLiteral("%1 takes exactly one argument: %1 %2")
                                       .arg(QLatin1String(c.name), QLatin1String(c.argument)));
        if (command == QLatin1String("pi-to-call"))
            return piToCall(rest.first(), out, err);
        if (command == QLatin1String("call-to-pi"))
            return callToPi(rest.first(), out);
        return check(rest.first(), out, err);
    }

    if (isDeviceCommand(command))
        return runDeviceCommand(command, rest, out, err);
    if (command == QLatin1String("watch"))
        return runWatchCommand(rest, out, err);

    return usageError(err, QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace brevolan::cli
