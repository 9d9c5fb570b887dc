// brevolan4-encoder-sim: an RDS encoder on a pseudo-terminal, for the
// application, the companion and people without hardware.
#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace brevolan::sim;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const char c = char(sig);
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

void fail(const QString &message)
{
    std::fprintf(stderr, "brevolan4-encoder-sim: %s\n", qPrintable(message));
    std::exit(2);
}

int intOption(const QCommandLineParser &p, const QString &name, int minimum)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < minimum)
        fail(QStringLiteral("--%1 needs a whole number of at least %2, not '%3'")
                 .arg(name).arg(minimum).arg(p.value(name)));
    return v;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brevolan4-encoder-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BREVOLAN_VERSION));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulates a Brevolan 4 RDS/RBDS encoder on a pseudo-terminal.\n"
        "Prints the terminal's path as the first line on standard output; point the\n"
        "application at it (device \"1, /dev/pts/N, 9600\"). Ends on SIGINT/SIGTERM."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("link"), QStringLiteral("Also reach the terminal through a symbolic link at <path> (removed at the end)."), QStringLiteral("path")},
        {QStringLiteral("eol"), QStringLiteral("Line end of replies: cr (default) or crlf."), QStringLiteral("cr|crlf"), QStringLiteral("cr")},
        {QStringLiteral("revision"), QStringLiteral("Firmware revision that REV reports (default 1.23)."), QStringLiteral("text"), QStringLiteral("1.23")},
        {QStringLiteral("echo"), QStringLiteral("Echo of commands at start (ECHO parameter, default on)."), QStringLiteral("on|off"), QStringLiteral("on")},
        {QStringLiteral("set"), QStringLiteral("Start with KEY=VALUE instead of the factory value (repeatable)."), QStringLiteral("KEY=VALUE")},
        {QStringLiteral("no-pace"), QStringLiteral("Send replies at once instead of at the line speed.")},
        {QStringLiteral("verbose"), QStringLiteral("Log every command received on standard error.")},
        {QStringLiteral("silent"), QStringLiteral("Fault: answer nothing at all.")},
        {QStringLiteral("no-handshake"), QStringLiteral("Fault: never answer a bare CR.")},
        {QStringLiteral("handshake-from"), QStringLiteral("Fault: answer \"NO\" only from the <n>th bare CR on."), QStringLiteral("n")},
        {QStringLiteral("never-ok"), QStringLiteral("Fault: never answer a set or query of <key> (SAVE included)."), QStringLiteral("key")},
        {QStringLiteral("save-unanswered"), QStringLiteral("Fault: no \"OK\" for SAVE; nothing is stored.")},
        {QStringLiteral("noise"), QStringLiteral("Fault: after each command endless noise instead of the reply.")},
        {QStringLiteral("unplug-after"), QStringLiteral("Fault: hang up after <n> commands (the tool then ends)."), QStringLiteral("n")},
        {QStringLiteral("delay"), QStringLiteral("Fault: wait <ms> before each reply."), QStringLiteral("ms")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument '%1' (see --help)").arg(p.positionalArguments().first()));

    auto engine = std::make_shared<EncoderEngine>();
    const QString eol = p.value(QStringLiteral("eol"));
    if (eol == QLatin1String("crlf"))
        engine->setLineEnding("\r\n");
    else if (eol != QLatin1String("cr"))
        fail(QStringLiteral("--eol takes cr or crlf, not '%1'").arg(eol));
    engine->setRevision(p.value(QStringLiteral("revision")).toLatin1());
    const QString echo = p.value(QStringLiteral("echo"));
    if (echo != QLatin1String("on") && echo != QLatin1String("off"))
        fail(QStringLiteral("--echo takes on or off, not '%1'").arg(echo));
    engine->setValue("ECHO", echo == QLatin1String("on") ? "1" : "0");
    for (const QString &kv : p.values(QStringLiteral("set"))) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        const QByteArray key = kv.left(eq).toLatin1();
        if (eq <= 0 || !EncoderEngine::keys().contains(key))
            fail(QStringLiteral("--set needs KEY=VALUE with a known key, not '%1'").arg(kv));
        if (key == "SPEED" && !EncoderEngine::isSupportedSpeed(kv.mid(eq + 1).toUInt()))
            fail(QStringLiteral("--set SPEED needs a supported baud rate, not '%1'").arg(kv.mid(eq + 1)));
        engine->setValue(key, kv.mid(eq + 1).toLatin1());
    }

    EncoderFaults faults;
    faults.silent = p.isSet(QStringLiteral("silent"));
    faults.noHandshake = p.isSet(QStringLiteral("no-handshake"));
    if (p.isSet(QStringLiteral("handshake-from")))
        faults.handshakeFromCr = intOption(p, QStringLiteral("handshake-from"), 1);
    faults.neverOkKey = p.value(QStringLiteral("never-ok")).toLatin1();
    faults.saveUnanswered = p.isSet(QStringLiteral("save-unanswered"));
    faults.noise = p.isSet(QStringLiteral("noise"));
    if (p.isSet(QStringLiteral("unplug-after")))
        faults.unplugAfterCommands = intOption(p, QStringLiteral("unplug-after"), 1);
    if (p.isSet(QStringLiteral("delay")))
        faults.replyDelayMs = intOption(p, QStringLiteral("delay"), 0);
    engine->setFaults(faults);

    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        fail(QStringLiteral("cannot create a pipe"));
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    PtyEncoder pty(engine);
    pty.setPaced(!p.isSet(QStringLiteral("no-pace")));
    QString error;
    if (!pty.start(&error))
        fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(error));
    const QString slave = pty.slavePath();

    const QString link = p.value(QStringLiteral("link"));
    if (!link.isEmpty()) {
        const QFileInfo info(link);
        // A link left behind by an earlier run is replaced; anything else
        // at that path is not ours to remove.
        if (info.isSymLink())
            QFile::remove(link);
        else if (info.exists())
            fail(QStringLiteral("--link: %1 exists and is no symbolic link").arg(link));
        if (::symlink(qPrintable(slave), qPrintable(link)) != 0)
            fail(QStringLiteral("--link: cannot create %1: %2").arg(link, QString::fromLocal8Bit(strerror(errno))));
    }
    auto removeLink = [&] {
        if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == slave)
            QFile::remove(link);
    };

    std::printf("%s\n", qPrintable(slave));
    std::fflush(stdout);
    std::fprintf(stderr, "brevolan4-encoder-sim: encoder on %s%s, %u baud\n", qPrintable(slave),
                 link.isEmpty() ? "" : qPrintable(QStringLiteral(" (%1)").arg(link)),
                 unsigned(engine->lineSpeed()));

    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        while (::read(signalPipe[0], &c, 1) > 0) {
        }
        QCoreApplication::exit(0);
    });

    qsizetype logged = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (p.isSet(QStringLiteral("verbose"))) {
            const QList<QByteArray> log = engine->commandLog();
            for (; logged < log.size(); ++logged)
                std::fprintf(stderr, "> %s\n", log.at(logged).toPercentEncoding(" ?=#/:.,-+*").constData());
        }
        if (!pty.isServing()) {
            std::fprintf(stderr, "brevolan4-encoder-sim: hung up (unplugged)\n");
            QCoreApplication::exit(0);
        }
    });
    watch.start(100);

    const int rc = QCoreApplication::exec();
    pty.stop();
    removeLink();
    return rc;
}
