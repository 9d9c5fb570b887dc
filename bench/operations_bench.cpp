// Operations benchmark: wall time of Read From Encoder and Send To Encoder
// against the paced encoder simulator, as a ratio to the least time the
// operation can take (its mandated waits plus the wire time of every byte
// both ways, 10 bits a byte), and the processor time of the calling thread
// as a share of the wall time. The simulator's own threads are not counted
// (RUSAGE_THREAD).
#include "common/Prompts.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"
#include "operations/EncoderOperations.h"
#include "operations/OperationUi.h"
#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"
#include "sim/SimulatedFtdiBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

using namespace brevolan;
using namespace brevolan::sim;

namespace {

class QuietPrompts : public Prompts {
public:
    void error(const QString &text) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        failed = true;
    }
    void information(const QString &) override {}
    void plain(const QString &) override {}
    bool confirm(const QString &) override { return true; }
    QString openFileName(const FileDialogOptions &) override { return {}; }
    QString saveFileName(const FileDialogOptions &) override { return {}; }
    bool failed = false;
};

class NoUi : public OperationUi {
public:
    void setProgress(int) override {}
    void setBusyCursor(bool) override {}
    void deviceIdChanged() override {}
};

// DevID lives in memory: the benchmark leaves the user's settings alone.
class MemoryPreferences : public Preferences {
public:
    void writeDevId(const QString &) override {}
};

double threadCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct WireBytes {
    qint64 out = 0;   // commands, CR included
    qint64 in = 0;    // replies
};

// The bytes of the commands an engine has logged, and of their replies,
// replayed on a fresh engine that starts from the same values.
WireBytes wireBytes(const QList<QByteArray> &commands, const std::shared_ptr<EncoderEngine> &start)
{
    EncoderEngine replay;
    for (const QByteArray &key : EncoderEngine::keys())
        replay.setValue(key, start->value(key));
    WireBytes bytes;
    for (const QByteArray &c : commands) {
        bytes.out += c.size() + 1;
        bytes.in += replay.feed(c + '\r').size();
    }
    return bytes;
}

enum class Transport { Serial, Usb };
enum class Operation { Read, Send };

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
    double boundMs = 0;         // mandated waits + wire time both ways
    double pacedBoundMs = 0;    // mandated waits + wire time of the replies
};

Sample runOnce(Transport transport, Operation operation, int baud)
{
    auto engine = std::make_shared<EncoderEngine>();
    engine->setValue("SPEED", QByteArray::number(baud));
    std::unique_ptr<PtyEncoder> pty;
    std::unique_ptr<SimulatedFtdiBus> bus;
    LinkState state;
    if (transport == Transport::Serial) {
        pty = std::make_unique<PtyEncoder>(engine);
        QString error;
        if (!pty->start(&error))
            qFatal("pty: %s", qPrintable(error));
        state.devId = serialDevId(pty->slavePath(), QString::number(baud));
    } else {
        bus = std::make_unique<SimulatedFtdiBus>();
        bus->attach("BENCH001", "Brevolan 4 RDS/RBDS Encoder", engine);
        setFtdiDriver(bus.get());
        state.devId = usbDevId(QStringLiteral("BENCH001"));
        state.usbBaudRate = baud;
    }
    // One open before the measurement: the first USB open of a run resets
    // the device, which no later operation repeats.
    QuietPrompts prompts;
    DeviceConnection link(state, prompts);
    if (link.OpenDevice())
        link.CloseDevice();

    ParameterModel model;
    model.selectSpeed(QString::number(baud));
    model.setText(Param::DPS, QStringLiteral("NOW PLAYING: SOMETHING BY SOMEBODY"));
    model.setText(Param::TEXT, QStringLiteral("Radio text of a typical length for the benchmark"));
    NoUi ui;
    MemoryPreferences preferences;
    EncoderOperations ops(model, link, preferences, prompts, ui);

    // Values as the encoder holds them before the operation, for the replay.
    auto before = std::make_shared<EncoderEngine>();
    for (const QByteArray &key : EncoderEngine::keys())
        before->setValue(key, engine->value(key));
    const qsizetype logStart = engine->commandLog().size();

    QElapsedTimer clock;
    const double cpu0 = threadCpuMs();
    clock.start();
    if (operation == Operation::Read)
        ops.ReadRDSBtnClick();
    else
        ops.SendToRDSBtnClick();
    Sample s;
    s.wallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    s.cpuMs = threadCpuMs() - cpu0;
    if (prompts.failed)
        std::fprintf(stderr, "operation failed\n");

    const QList<QByteArray> commands = engine->commandLog().mid(logStart);
    const WireBytes bytes = wireBytes(commands, before);
    const double msPerByte = 1000.0 * 10.0 / baud;
    // A drain always lasts its full time: 200 ms on the serial port; over
    // USB the one-byte read with nothing waiting lasts the 500 ms read
    // time-out before the clock is looked at.
    const double drainMs = transport == Transport::Serial ? 200 : 500;
    const double waitsMs = operation == Operation::Read ? drainMs : 2 * drainMs + 500;
    s.boundMs = waitsMs + msPerByte * static_cast<double>(bytes.out + bytes.in);
    // The simulator paces what it sends, not what it receives: the commands
    // reach it at once, so only the replies' wire time is there to wait for.
    s.pacedBoundMs = waitsMs + msPerByte * static_cast<double>(bytes.in);
    if (bus)
        setFtdiDriver(nullptr);
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    FtErrorReport = false;
    const int runs = 5;
    std::printf("| Operation | transport | baud | wall (median of %d) | bound both ways | ratio | bound replies only | ratio | CPU | CPU share |\n", runs);
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Transport transport : {Transport::Serial, Transport::Usb}) {
        for (const Operation operation : {Operation::Read, Operation::Send}) {
            for (const int baud : {9600, 115200}) {
                std::vector<double> wall, ratio, pacedRatio, cpu, share;
                double bound = 0;
                double pacedBound = 0;
                for (int i = 0; i < runs; ++i) {
                    const Sample s = runOnce(transport, operation, baud);
                    wall.push_back(s.wallMs);
                    ratio.push_back(s.wallMs / s.boundMs);
                    pacedRatio.push_back(s.wallMs / s.pacedBoundMs);
                    pacedBound = s.pacedBoundMs;
                    cpu.push_back(s.cpuMs);
                    share.push_back(100.0 * s.cpuMs / s.wallMs);
                    bound = s.boundMs;
                }
                std::printf("| %s | %s | %d | %.0f ms | %.0f ms | %.3f | %.0f ms | %.3f | %.1f ms | %.2f %% |\n",
                            operation == Operation::Read ? "Read" : "Send",
                            transport == Transport::Serial ? "serial" : "USB", baud, median(wall), bound,
                            median(ratio), pacedBound, median(pacedRatio), median(cpu), median(share));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
