// Link benchmark: how much processor the waits for the encoder cost, and how
// close a handshake round trip comes to the time the bytes need on the wire.
// Runs against the encoder simulator (pty and simulated FTDI bus, output
// paced at the line speed). Processor time is that of the calling thread
// only (RUSAGE_THREAD), so the simulator's own threads are not counted.
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/TXComm.h"
#include "sim/PtyEncoder.h"
#include "sim/SimulatedFtdiBus.h"

#include "common/Prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace brevolan;
using namespace brevolan::sim;

namespace {

class SilentPrompts : public Prompts {
public:
    void error(const QString &text) override { std::fprintf(stderr, "box: %s\n", qPrintable(text)); }
    void information(const QString &) override {}
    void plain(const QString &) override {}
    bool confirm(const QString &) override { return false; }
    QString openFileName(const FileDialogOptions &) override { return {}; }
    QString saveFileName(const FileDialogOptions &) override { return {}; }
};

double threadCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
    double percent() const { return wallMs > 0 ? 100.0 * cpuMs / wallMs : 0; }
};

template <typename F> Cost measure(F &&f)
{
    QElapsedTimer t;
    const double cpu0 = threadCpuMs();
    t.start();
    f();
    return {static_cast<double>(t.nsecsElapsed()) / 1e6, threadCpuMs() - cpu0};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One transport under test: a connection to a simulated encoder.
struct Rig {
    std::shared_ptr<EncoderEngine> engine = std::make_shared<EncoderEngine>();
    std::unique_ptr<PtyEncoder> pty;
    std::unique_ptr<SimulatedFtdiBus> bus;
    LinkState state;
    SilentPrompts prompts;
    std::unique_ptr<DeviceConnection> connection;

    Rig(bool serial, quint32 baud)
    {
        engine->setValue("SPEED", QByteArray::number(baud));
        if (serial) {
            pty = std::make_unique<PtyEncoder>(engine);
            pty->start();
            state.devId = serialDevId(pty->slavePath(), QString::number(baud));
        } else {
            bus = std::make_unique<SimulatedFtdiBus>();
            bus->attach("BENCH001", "Brevolan 4 RDS/RBDS Encoder", engine);
            setFtdiDriver(bus.get());
            state.devId = usbDevId(QStringLiteral("BENCH001"));
            state.usbBaudRate = static_cast<qint32>(baud);
        }
        connection = std::make_unique<DeviceConnection>(state, prompts);
    }
    ~Rig()
    {
        connection.reset();
        setFtdiDriver(nullptr);
    }
};

void report(const char *what, const Cost &c)
{
    std::printf("%-48s wall %8.1f ms  cpu %7.2f ms  %5.2f %%\n", what, c.wallMs, c.cpuMs, c.percent());
}

Cost openWith(bool serial, const EncoderFaults &faults, bool expectOpen)
{
    Rig rig(serial, 9600);
    rig.engine->setFaults(faults);
    bool opened = false;
    const Cost c = measure([&] { opened = rig.connection->OpenDevice(); });
    if (opened != expectOpen)
        std::fprintf(stderr, "unexpected handshake result %d\n", opened);
    if (opened)
        rig.connection->CloseDevice();
    return c;
}

void run(bool serial)
{
    const QString name = QLatin1String(serial ? "serial" : "usb");
    const auto label = [&](const char *what) { return qPrintable(name + QLatin1String(": ") + QLatin1String(what)); };
    FtErrorReport = false;

    report(label("OpenDevice, answered at once"), openWith(serial, {}, true));
    EncoderFaults fifth;
    fifth.handshakeFromCr = 5;
    report(label("OpenDevice, answered on the 5th CR"), openWith(serial, fifth, true));
    EncoderFaults silent;
    silent.silent = true;
    report(label("OpenDevice, silent encoder (fails)"), openWith(serial, silent, false));
    {
        Rig rig(serial, 9600);
        rig.connection->OpenDevice();
        rig.engine->setFaults(silent);
        QByteArray reply;
        report(label("silent WaitReply(1000 ms)"),
               measure([&] { rig.connection->WaitReply({"OK"}, 1000, reply); }));
        rig.connection->CloseDevice();
    }
    for (quint32 baud : {9600u, 115200u}) {
        Rig rig(serial, baud);
        if (!rig.connection->OpenDevice()) {
            std::fprintf(stderr, "%s at %u: no handshake\n", qPrintable(name), baud);
            continue;
        }
        // Handshake round trip: "\r" out, "NO" back (the trailing CR is not
        // waited for): 3 bytes of 10 bits on the wire.
        const double wireMs = 3 * 10 * 1000.0 / baud;
        std::vector<double> rounds;
        double cpu = 0, wall = 0;
        for (int i = 0; i < 40; ++i) {
            QByteArray reply;
            const Cost c = measure([&] {
                rig.connection->SendCommand("\r");
                rig.connection->WaitReply({"NO"}, 200, reply);
            });
            // Let the trailing CR arrive before the next round.
            rig.connection->WaitReply({"\r"}, 50, reply);
            rounds.push_back(c.wallMs);
            cpu += c.cpuMs;
            wall += c.wallMs;
        }
        const double m = median(rounds);
        std::printf("%s: handshake round trip at %6u baud: median %6.2f ms, wire %5.2f ms,"
                    " ratio %5.2f, cpu %5.1f us each\n",
                    qPrintable(name), baud, m, wireMs, m / wireMs, 1000.0 * cpu / rounds.size());
        rig.connection->CloseDevice();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    run(true);
    run(false);
    return 0;
}
