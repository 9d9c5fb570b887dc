// Any argument vector for brevolan4-cli: parsing it must neither crash nor
// hang, and the exit status is always 0, 1 or 2. No device can be reached: a
// serial DEVID always names a port under /nonexistent, the USB bus is an empty
// simulated one, and "watch" (which runs until a signal) is never chosen.
//
// The input is split at NUL bytes into arguments; the first byte of the first
// argument picks the command.

#include "cli/Companion.h"
#include "link/D2XXUnit.h"
#include "sim/SimulatedFtdiBus.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace brevolan;

namespace {

FILE *g_null = nullptr;

const char *const Commands[] = {"read", "send", "reset", "rev", "get", "set", "devices", "pi-to-call",
                                "call-to-pi", "check", "--help", "-h", "help", "--version", "bogus", ""};

// Keeps every path the command could open or write inside the scratch folder
// the fuzzer runs in, and every serial port under /nonexistent.
QString tame(const QString &arg, bool isDevice)
{
    if (isDevice) {
        if (arg.startsWith(QLatin1Char('1')))
            return QStringLiteral("1, /nonexistent/") + arg.mid(1);
        return arg;
    }
    QString out = arg;
    if (out.startsWith(QLatin1Char('/')) || out.startsWith(QLatin1Char('~')))
        out.prepend(QStringLiteral("nonexistent"));
    out.replace(QStringLiteral(".."), QStringLiteral("__"));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static sim::SimulatedFtdiBus bus;   // no devices attached: every USB open fails at once
    setFtdiDriver(&bus);
    qunsetenv("BREVOLAN_SIMULATED_USB");
    g_null = std::fopen("/dev/null", "w");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QStringList args{QLatin1String(Commands[data[0] % (sizeof Commands / sizeof *Commands)])};
    bool nextIsDevice = false;
    for (const QByteArray &piece : bytes.split('\0')) {
        QString arg = QString::fromUtf8(piece);
        const bool isDevice = nextIsDevice || arg.startsWith(QLatin1String("--device="));
        if (arg.startsWith(QLatin1String("--device=")))
            arg = QStringLiteral("--device=") + tame(arg.mid(9), true);
        else
            arg = tame(arg, isDevice);
        nextIsDevice = !isDevice && (arg == QLatin1String("--device") || arg == QLatin1String("-d"));
        args << arg;
    }
    if (args.size() == 2 && args.last().isEmpty() && bytes.isEmpty())
        args.removeLast();

    const int status = cli::runCompanion(args, g_null, g_null);
    if (status < 0 || status > 2) {
        std::fprintf(stderr, "exit status %d\n", status);
        std::abort();
    }
    return 0;
}
