#include "cli/WatchCommand.h"

#include "cli/NowPlayingText.h"
#include "cli/NowPlayingWatch.h"
#include "cli/RadioTextSender.h"
#include "cli/SimulatedUsb.h"
#include "cli/StdinLines.h"
#include "cli/TerminationSignals.h"
#include "cli/WatchLog.h"
#include "cli/WatchedFile.h"
#include "link/D2XXUnit.h"
#include "link/DeviceId.h"
#include "model/Parameter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <memory>

namespace brevolan::cli {

namespace {

const char *const WatchUsage =
    "Usage: brevolan4-cli watch --device DEVID [--key TEXT] [--key DPS] [--prefix TEXT] SOURCE\n"
    "\n"
    "Keeps the encoder's radio text up to date with the song on air. SOURCE is a\n"
    "file that the playout system rewrites (its first line counts) or - for\n"
    "standard input, one update per line. Each new text is sent to every --key\n"
    "(default TEXT) and never stored in the encoder's memory. Characters beyond\n"
    "plain ASCII become their closest plain letters; texts are cut to 64\n"
    "characters. An encoder that does not answer is tried again after 1 s,\n"
    "doubling up to 30 s. One log line per attempt on stderr. Ends on SIGINT or\n"
    "SIGTERM, or at the end of standard input once the newest text is on air.\n"
    "\n"
    "Options:\n"
    "  -d, --device DEVID  \"1, /dev/ttyUSB0, 9600\" or \"2, FT12AB34\"\n"
    "  --key KEY           TEXT (radio text) or DPS (dynamic PS); repeatable\n"
    "  --prefix TEXT       put before every text, e.g. \"Now playing: \"\n";

struct UsageError {
    QString message;
};

struct WatchOptions {
    QString devId;
    QList<Param> keys;
    QString prefix;
    QString source;
    bool help = false;
};

Param watchKey(const QString &key)
{
    for (const Param p : {Param::TEXT, Param::DPS})
        if (key.compare(keyOf(p), Qt::CaseInsensitive) == 0)
            return p;
    throw UsageError{QStringLiteral("--key takes TEXT or DPS, not \"%1\"").arg(key)};
}

WatchOptions parseWatchOptions(const QStringList &args)
{
    WatchOptions o;
    bool hasDevice = false;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&](const QString &name) -> QString {
            const QString withValue = name + QLatin1Char('=');
            if (a.startsWith(withValue))
                return a.mid(withValue.size());
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(name)};
            return args.at(++i);
        };
        auto is = [&](const char *name) {
            const QLatin1String n(name);
            return a == n || a.startsWith(n + QLatin1Char('='));
        };
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
        } else if (a == QLatin1String("-d") || is("--device")) {
            o.devId = value(a == QLatin1String("-d") ? a : QStringLiteral("--device"));
            hasDevice = true;
        } else if (is("--key")) {
            const Param p = watchKey(value(QStringLiteral("--key")));
            if (!o.keys.contains(p))
                o.keys << p;
        } else if (is("--prefix")) {
            o.prefix = value(QStringLiteral("--prefix"));
        } else if (a == QLatin1String("--")) {
            positional << args.mid(i + 1);
            break;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (o.help)
        return o;
    if (!hasDevice)
        throw UsageError{QStringLiteral("--device DEVID is required (\"1, /dev/ttyUSB0, 9600\" or \"2, SERIAL\")")};
    if (!isSerialDevId(o.devId) && !isUsbDevId(o.devId))
        throw UsageError{QStringLiteral("\"%1\" is no device identifier: \"1, PORT, SPEED\" or \"2, SERIAL\"").arg(o.devId)};
    if (positional.size() != 1)
        throw UsageError{positional.isEmpty() ? QStringLiteral("which file? (or - for standard input)")
                                              : QStringLiteral("one SOURCE only, not %1").arg(positional.join(QLatin1Char(' ')))};
    o.source = positional.first();
    if (o.keys.isEmpty())
        o.keys << Param::TEXT;
    if (o.source != QLatin1String("-")) {
        const QFileInfo info(o.source);
        if (info.exists() && !info.isFile())
            throw UsageError{QStringLiteral("%1 is no plain file (for a pipe use - and redirect it)").arg(o.source)};
    }
    for (const QChar c : o.prefix)
        if (c.unicode() < 32)
            throw UsageError{QStringLiteral("--prefix holds a control character")};
    return o;
}

void printText(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int watch(const WatchOptions &o, FILE *err)
{
    // Failures are the log's business; the USB library shows no boxes.
    FtErrorReport = false;
    installSimulatedUsbFromEnvironment();

    WatchLog log(err);
    TerminationSignals terminationSignals;
    if (!terminationSignals.isValid()) {
        printText(err, QStringLiteral("watch: cannot set up signal handling\n"));
        return 1;
    }

    QStringList keyNames;
    int limit = 64;
    for (const Param p : o.keys) {
        keyNames << keyOf(p);
        limit = qMin(limit, parameterInfo(p).typingLimit);
    }
    RadioTextSender sender(o.devId, o.keys);
    NowPlayingWatch nowPlaying([&sender](const QString &text) { return sender.send(text); },
                               keyNames.join(QStringLiteral(", ")), log);
    auto offer = [&](const QString &line) { nowPlaying.offer(nowPlayingText(line, o.prefix, limit)); };

    QEventLoop loop;
    QObject::connect(&nowPlaying, &NowPlayingWatch::finished, &loop, &QEventLoop::quit);
    QObject::connect(&terminationSignals, &TerminationSignals::received, &loop, [&](const QString &name) {
        log.line(QStringLiteral("%1 received, stopping").arg(name));
        loop.quit();
    });

    const bool fromStdin = o.source == QLatin1String("-");
    log.line(QStringLiteral("watching %1 for %2 on \"%3\"")
                 .arg(fromStdin ? QStringLiteral("standard input") : QFileInfo(o.source).absoluteFilePath(),
                      keyNames.join(QStringLiteral(", ")), o.devId));

    std::unique_ptr<StdinLines> lines;
    std::unique_ptr<WatchedFile> file;
    if (fromStdin) {
        lines = std::make_unique<StdinLines>(0);
        QObject::connect(lines.get(), &StdinLines::lineRead, &loop, offer);
        QObject::connect(lines.get(), &StdinLines::ended, &loop, [&] {
            log.line(QStringLiteral("end of input"));
            nowPlaying.finishWhenDone();
        });
    } else {
        file = std::make_unique<WatchedFile>(o.source, log);
        QObject::connect(file.get(), &WatchedFile::lineChanged, &loop, offer);
        QString error;
        if (!file->start(&error)) {
            log.line(QStringLiteral("cannot watch %1: %2").arg(o.source, error));
            return 1;
        }
    }

    loop.exec();
    // Every attempt closes the link before it returns: nothing is left open.
    log.line(QStringLiteral("stopped"));
    return 0;
}

} // namespace

int runWatchCommand(const QStringList &args, FILE *out, FILE *err)
{
    try {
        const WatchOptions o = parseWatchOptions(args);
        if (o.help) {
            printText(out, QString::fromLatin1(WatchUsage));
            return 0;
        }
        return watch(o, err);
    } catch (const UsageError &e) {
        printText(err, QStringLiteral("brevolan4-cli: watch: %1\nTry 'brevolan4-cli watch --help' for more information.\n")
                           .arg(e.message));
        return 2;
    }
}

} // namespace brevolan::cli
