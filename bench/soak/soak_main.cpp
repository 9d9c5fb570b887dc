// Fault soak: Read and Send, cycle after cycle, against the encoder simulator
// on a pseudo-terminal and on the simulated USB bus, with faults injected at
// random before and during each operation. Run by hand (see bench/README.md):
//
//   bench_soak [--cycles N] [--transport serial|usb|both] [--seed S]
//              [--fault-rate P] [--report-every N] [--dir PATH]
//
// Checked after every cycle: the operation returned within the sum of its
// waits' bounds, every step between two progress ticks stayed within one
// parameter wait, the link is closed and the busy state cleared, the stored
// DevID carries a valid speed, and the settings file (saved after every
// cycle while a second thread keeps reading it) was never seen half-written.
// Open descriptors and resident memory are sampled as it goes. Exit status 1
// when any check failed.

#include "common/BrevolanError.h"
#include "common/Prompts.h"
#include "files/SettingsFile.h"
#include "files/SettingsFileWriter.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/DeviceId.h"
#include "link/LinkState.h"
#include "link/Preferences.h"
#include "link/TXComm.h"
#include "model/IntegerText.h"
#include "model/Parameter.h"
#include "model/ParameterModel.h"
#include "model/ValueLists.h"
#include "operations/EncoderOperations.h"
#include "operations/OperationUi.h"
#include "operations/Protocol.h"
#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"
#include "sim/SimulatedFtdiBus.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <dirent.h>
#include <unistd.h>

using namespace brevolan;
using Clock = std::chrono::steady_clock;

namespace {

// Slack on every bound for a loaded machine: scheduling, pacing at 9600 baud,
// the writes before each wait.
constexpr qint64 StepSlackMs = 400;
constexpr qint64 OperationSlackMs = 3000;
const QByteArray UsbSerial = QByteArrayLiteral("SOAK0001");
const QByteArray Description = QByteArrayLiteral("Brevolan 4 RDS/RBDS Encoder");

// Open descriptors, leaving out the one opendir holds and the settings files
// that the watcher thread opens and closes all the time.
long openDescriptors()
{
    long n = 0;
    if (DIR *d = ::opendir("/proc/self/fd")) {
        while (const dirent *e = ::readdir(d)) {
            if (e->d_name[0] == '.' || std::atoi(e->d_name) == ::dirfd(d))
                continue;
            const QString target = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/") + QLatin1String(e->d_name));
            if (!target.contains(QLatin1String(".bvx")))   // also "... (deleted)" after a save
                ++n;
        }
        ::closedir(d);
    }
    return n;
}

// The settled count: the least of a few readings, since the simulator's and
// Qt's threads open short-lived descriptors of their own now and then.
long settledDescriptors()
{
    long n = openDescriptors();
    for (int i = 0; i < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        n = std::min(n, openDescriptors());
    }
    return n;
}

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

class CountingPrompts : public Prompts {
public:
    void error(const QString &text) override
    {
        ++errors;
        lastError = text;
    }
    void information(const QString &) override { ++done; }
    void plain(const QString &) override { ++plains; }
    bool confirm(const QString &) override { return true; }
    QString openFileName(const FileDialogOptions &) override { return {}; }
    QString saveFileName(const FileDialogOptions &) override { return {}; }
    int errors = 0;
    int done = 0;
    int plains = 0;
    QString lastError;
};

// Times every progress step: each is one command and one bounded wait.
class TimingUi : public OperationUi {
public:
    void setProgress(int value) override
    {
        const auto now = Clock::now();
        if (value > 0 && lastValue >= 0 && value == lastValue + 1) {
            const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
            // Step 1 includes the opening (five handshakes) and the drain.
            if (value == 1)
                worstFirstStepMs = std::max(worstFirstStepMs, ms);
            else
                worstStepMs = std::max(worstStepMs, ms);
        }
        lastValue = value;
        last = now;
    }
    void setBusyCursor(bool busy) override { cursorDepth += busy ? 1 : -1; }
    void deviceIdChanged() override {}
    void pause(int ms) override { OperationUi::pause(ms); }
    void begin()
    {
        lastValue = -1;
        last = Clock::now();
    }
    int lastValue = -1;
    Clock::time_point last;
    qint64 worstStepMs = 0;
    qint64 worstFirstStepMs = 0;
    int cursorDepth = 0;
};

enum class Fault { None, Silence, Noise, Unplug, HangUpMidway, Garbage, GarbageReplies, Slow, SaveUnanswered, Count };

const char *faultName(Fault f)
{
    switch (f) {
    case Fault::None: return "none";
    case Fault::Silence: return "silence";
    case Fault::Noise: return "noise";
    case Fault::Unplug: return "unplug after N commands";
    case Fault::HangUpMidway: return "unplug/hang-up mid-operation";
    case Fault::Garbage: return "garbage on the line";
    case Fault::GarbageReplies: return "garbage replies";
    case Fault::Slow: return "slow replies";
    case Fault::SaveUnanswered: return "SAVE unanswered";
    case Fault::Count: break;
    }
    return "?";
}

QByteArray randomBytes(QRandomGenerator &rng, int n)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

// Keeps reading the settings file while the soak saves it: every view must be
// either the old file or the new one, each complete (23 lines, CR LF ended).
class FileWatcher {
public:
    FileWatcher(QString path, const QByteArray &current)
        : m_path(std::move(path)), m_legit{current}, m_thread([this] { run(); })
    {
    }
    ~FileWatcher()
    {
        m_stop = true;
        m_thread.join();
    }
    long reads() const { return m_reads; }
    long torn() const { return m_torn; }

    // Before each save: the text the file is about to hold. A read must see
    // one of the last few texts whole, never a part of one.
    void expect(const QByteArray &text)
    {
        std::lock_guard lock(m_mutex);
        m_legit.append(text);
        while (m_legit.size() > 3)
            m_legit.removeFirst();
    }

private:
    void run()
    {
        while (!m_stop) {
            QFile f(m_path);
            if (f.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = f.readAll();
                ++m_reads;
                bool whole;
                {
                    std::lock_guard lock(m_mutex);
                    whole = m_legit.contains(bytes);
                }
                if (!whole) {
                    ++m_torn;
                    std::fprintf(stderr, "soak: settings file seen half-written (%lld bytes)\n",
                                 static_cast<long long>(bytes.size()));
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    QString m_path;
    std::mutex m_mutex;
    QList<QByteArray> m_legit;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_reads{0};
    std::atomic<long> m_torn{0};
    std::thread m_thread;
};

struct Totals {
    long cycles = 0;
    long reads = 0;
    long sends = 0;
    long done = 0;
    long errorBoxes = 0;
    long raised = 0;
    long refused = 0;
    std::map<Fault, long> faults;
    qint64 worstStepMs = 0;
    qint64 worstFirstStepMs = 0;
    qint64 worstReadMs = 0;
    qint64 worstSendMs = 0;
    long failures = 0;
    long savesRefused = 0;
    std::map<QString, long> messages;   // every error box and raised error, by text
};

class Soak {
public:
    Soak(bool serial, quint32 seed, double faultRate, const QString &dir, Totals &totals)
        : m_serial(serial), m_rng(seed), m_faultRate(faultRate), m_totals(totals),
          m_engine(std::make_shared<sim::EncoderEngine>()), m_file(dir + (serial ? "/serial.bvx" : "/usb.bvx"))
    {
        FtErrorReport = false;
        if (m_serial) {
            startPty();
        } else {
            m_bus.attach(UsbSerial, Description, m_engine);
            setFtdiDriver(&m_bus);
            m_state.devId = usbDevId(QString::fromLatin1(UsbSerial));
        }
        m_preferences.writeDevId(m_state.devId);
        m_link = std::make_unique<DeviceConnection>(m_state, m_prompts);
        m_ops = std::make_unique<EncoderOperations>(m_model, *m_link, m_preferences, m_prompts, m_ui);
        SaveSettingsFile(m_model, m_file);
        m_watcher = std::make_unique<FileWatcher>(m_file, readAll());
    }
    ~Soak()
    {
        m_watcher.reset();
        m_ops.reset();
        m_link.reset();
        if (!m_serial)
            setFtdiDriver(nullptr);
    }

    void cycle(long n)
    {
        ++m_totals.cycles;
        resync();
        const bool send = n % 2 == 1;
        if (send)
            prepareSend();

        sim::EncoderFaults base;
        Fault fault = Fault::None;
        if (m_rng.generateDouble() < m_faultRate)
            fault = Fault(1 + m_rng.bounded(int(Fault::Count) - 1));
        // SAVE is asked only by Send; a Read gets another fault instead.
        if (fault == Fault::SaveUnanswered && !send)
            fault = Fault::Slow;
        ++m_totals.faults[fault];

        int windowStartMs = -1, windowLengthMs = 0;
        QMap<QByteArray, QByteArray> restore;   // values garbled for this cycle only
        sim::EncoderFaults during;
        switch (fault) {
        case Fault::Slow:
            // Mostly within the parameter wait; now and then beyond it.
            base.replyDelayMs = m_rng.bounded(10) == 0 ? 1000 + m_rng.bounded(300) : 10 + m_rng.bounded(150);
            break;
        case Fault::SaveUnanswered:
            base.saveUnanswered = true;
            break;
        case Fault::Unplug:
            base.unplugAfterCommands = m_rng.bounded(send ? 26 : 25);
            break;
        case Fault::GarbageReplies:
            for (int i = 0, k = 1 + m_rng.bounded(4); i < k; ++i) {
                const QByteArray key = sim::EncoderEngine::keys().at(m_rng.bounded(ParameterCount - 1));
                if (!restore.contains(key))
                    restore.insert(key, m_engine->value(key));
                m_engine->setValue(key, randomBytes(m_rng, m_rng.bounded(80)));
            }
            break;
        case Fault::Silence:
        case Fault::Noise:
        case Fault::HangUpMidway:
        case Fault::Garbage:
            windowStartMs = m_rng.bounded(send ? 1500 : 600);
            windowLengthMs = 50 + m_rng.bounded(700);
            during = base;
            during.silent = fault == Fault::Silence;
            during.noise = fault == Fault::Noise;
            break;
        default:
            break;
        }
        m_engine->setFaults(base);

        std::mutex mutex;
        std::condition_variable cv;
        bool finished = false;
        std::thread injector;
        if (windowStartMs >= 0) {
            const QByteArray garbage = randomBytes(m_rng, 1 + m_rng.bounded(64));
            injector = std::thread([&, fault, garbage] {
                std::unique_lock lock(mutex);
                if (cv.wait_for(lock, std::chrono::milliseconds(windowStartMs), [&] { return finished; }))
                    return;
                switch (fault) {
                case Fault::HangUpMidway:
                    if (m_serial)
                        m_pty->hangUp();
                    else
                        m_bus.detach(UsbSerial);
                    return;
                case Fault::Garbage:
                    // Bytes the encoder hears in the middle of a command.
                    (void)m_engine->feed(garbage);
                    return;
                default:
                    m_engine->setFaults(during);
                    cv.wait_for(lock, std::chrono::milliseconds(windowLengthMs), [&] { return finished; });
                    m_engine->setFaults(base);
                }
            });
        }

        CountingPrompts &p = m_prompts;
        const int errorsBefore = p.errors, doneBefore = p.done, plainBefore = p.plains;
        m_ui.begin();
        QElapsedTimer timer;
        timer.start();
        try {
            if (send) {
                ++m_totals.sends;
                m_ops->SendToRDSBtnClick();
            } else {
                ++m_totals.reads;
                m_ops->ReadRDSBtnClick();
            }
        } catch (const BrevolanError &e) {
            ++m_totals.raised;   // the window's handler guard would show it
            ++m_totals.messages[e.message().left(70)];
        } catch (const std::exception &e) {
            fail(n, QStringLiteral("unexpected exception: %1").arg(QString::fromLocal8Bit(e.what())));
        }
        const qint64 elapsed = timer.elapsed();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        cv.notify_all();
        if (injector.joinable())
            injector.join();

        m_totals.done += p.done - doneBefore;
        m_totals.errorBoxes += p.errors - errorsBefore;
        if (p.errors > errorsBefore)
            ++m_totals.messages[p.lastError.left(70)];
        m_totals.refused += p.plains - plainBefore;
        check(n, send, elapsed, fault);
        saveSettings(n);
        m_engine->setFaults({});
        for (auto it = restore.cbegin(); it != restore.cend(); ++it)
            m_engine->setValue(it.key(), it.value());
    }

private:
    void startPty()
    {
        m_pty.reset();
        m_pty = std::make_unique<sim::PtyEncoder>(m_engine);
        QString error;
        if (!m_pty->start(&error))
            qFatal("pty simulator: %s", qPrintable(error));
        m_state.devId = serialDevId(m_pty->slavePath(), QString::number(m_engine->lineSpeed()));
    }

    // As an operator would after a failure: the encoder plugged in again, and
    // the device set to the speed the encoder's line runs at.
    void resync()
    {
        m_engine->setFaults({});
        // A garbled read can leave a PI that is no four-digit hexadecimal
        // code; Send would store it on the encoder and every later Read would
        // stop at it. The operator types the station's PI again.
        const QString pi = m_model.text(Param::PI);
        if (pi.size() != 4 || !parseInteger(QLatin1Char('$') + pi))
            m_model.setText(Param::PI, QStringLiteral("54A8"));
        const QString speed = QString::number(m_engine->lineSpeed());
        if (m_serial) {
            if (!m_pty->isServing())
                startPty();
            const QString devId = serialDevId(m_pty->slavePath(), speed);
            if (devId != m_state.devId) {
                m_state.devId = devId;
                m_preferences.writeDevId(devId);
            }
        } else {
            if (!m_bus.isAttached(UsbSerial))
                m_bus.attach(UsbSerial, Description, m_engine);
            m_state.usbBaudRate = qint32(m_engine->lineSpeed());
        }
    }

    void prepareSend()
    {
        // Now and then a new speed, and now and then none at all.
        const int roll = m_rng.bounded(100);
        if (roll < 20) {
            const QStringList speeds = speedList();
            m_model.selectSpeed(speeds.at(m_rng.bounded(int(speeds.size()))));
        } else if (roll < 23) {
            m_model.setIndex(Param::SPEED, -1);
        } else if (m_model.index(Param::SPEED) < 0) {
            m_model.selectSpeed(QStringLiteral("9600"));
        }
        if (m_rng.bounded(4) == 0)
            m_model.setText(Param::TEXT, QStringLiteral("Soak %1").arg(m_rng.generate()));
    }

    void check(long n, bool send, qint64 elapsedMs, Fault fault)
    {
        const QString what = QStringLiteral("%1, fault: %2").arg(send ? "Send" : "Read", faultName(fault));
        using namespace timeouts;
        // Every wait may overrun its timeout by one USB read time-out (500 ms):
        // the clock is looked at only when a one-byte read returns.
        const qint64 extra = m_serial ? 0 : 500;
        // Five handshakes and the drain, then one wait per parameter.
        const qint64 openBound = 5 * (200 + extra) + Drain + extra;
        const qint64 stepBound = Parameter + extra;
        const qint64 readBound = openBound + ParameterCount * stepBound;
        const qint64 sendBound = openBound + (ParameterCount - 1) * stepBound + 500 + openBound + Save + extra;
        if (send)
            m_totals.worstSendMs = std::max(m_totals.worstSendMs, elapsedMs);
        else
            m_totals.worstReadMs = std::max(m_totals.worstReadMs, elapsedMs);
        if (elapsedMs > (send ? sendBound : readBound) + OperationSlackMs)
            fail(n, QStringLiteral("took %1 ms (%2)").arg(elapsedMs).arg(what));
        m_totals.worstStepMs = std::max(m_totals.worstStepMs, m_ui.worstStepMs);
        m_totals.worstFirstStepMs = std::max(m_totals.worstFirstStepMs, m_ui.worstFirstStepMs);
        if (m_ui.worstStepMs > stepBound + StepSlackMs)
            fail(n, QStringLiteral("a parameter step took %1 ms (%2)").arg(m_ui.worstStepMs).arg(what));
        if (m_ui.worstFirstStepMs > openBound + stepBound + StepSlackMs)
            fail(n, QStringLiteral("opening and the first step took %1 ms (%2)").arg(m_ui.worstFirstStepMs).arg(what));
        m_ui.worstStepMs = m_ui.worstFirstStepMs = 0;

        if (m_ops->readBusy() || m_ops->sendBusy())
            fail(n, QStringLiteral("busy flag left set"));
        if (m_ui.cursorDepth != 0)
            fail(n, QStringLiteral("busy cursor left at depth %1").arg(m_ui.cursorDepth));
        if (m_serial ? m_link->xcomm().isOpen() : m_bus.isOpen(UsbSerial))
            fail(n, QStringLiteral("link left open"));

        for (const QString &devId : {m_state.devId, m_preferences.readDevId()}) {
            if (!isSerialDevId(devId))
                continue;
            const std::optional<int> speed = parseInteger(parseSerialDevId(devId).speed);
            if (!speed || !speedList().contains(QString::number(*speed)))
                fail(n, QStringLiteral("DevID without a valid speed: \"%1\"").arg(devId));
        }
    }

    void saveSettings(long n)
    {
        const QByteArray before = readAll();
        m_watcher->expect(settingsFileText(m_model.values()));
        try {
            SaveSettingsFile(m_model, m_file);
        } catch (const BrevolanError &) {
            // A text the file cannot hold (read from a garbled encoder):
            // refused, and the file must be the old one untouched.
            ++m_totals.savesRefused;
            if (readAll() != before)
                fail(n, QStringLiteral("a refused save changed the settings file"));
            return;
        }
        // Byte for byte what Save writes: a PI that is no hexadecimal number
        // (kept from a garbled read) is stored as it is and refused by Open.
        if (readAll() != settingsFileText(m_model.values()))
            fail(n, QStringLiteral("the settings file differs from what was saved"));
    }

    QByteArray readAll() const
    {
        QFile f(m_file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void fail(long n, const QString &what)
    {
        ++m_totals.failures;
        std::fprintf(stderr, "soak: %s cycle %ld: %s\n", m_serial ? "serial" : "usb", n, qPrintable(what));
    }

public:
    long fileReads() const { return m_watcher->reads(); }
    long fileTorn() const { return m_watcher->torn(); }

private:
    bool m_serial;
    QRandomGenerator m_rng;
    double m_faultRate;
    Totals &m_totals;
    std::shared_ptr<sim::EncoderEngine> m_engine;
    std::unique_ptr<sim::PtyEncoder> m_pty;
    sim::SimulatedFtdiBus m_bus;
    ParameterModel m_model;
    LinkState m_state;
    CountingPrompts m_prompts;
    TimingUi m_ui;
    Preferences m_preferences;
    std::unique_ptr<DeviceConnection> m_link;
    std::unique_ptr<EncoderOperations> m_ops;
    QString m_file;
    std::unique_ptr<FileWatcher> m_watcher;
};

void printTotals(const char *name, const Totals &t, long fdStart, long fdEnd, long rssStart, long rssEnd,
                 long fileReads, long fileTorn, double seconds)
{
    std::printf("%s: %ld cycles (%ld Read, %ld Send) in %.0f s\n", name, t.cycles, t.reads, t.sends, seconds);
    std::printf("  faults injected:");
    long injected = 0;
    for (const auto &[f, count] : t.faults) {
        if (f != Fault::None)
            injected += count;
        std::printf(" %s %ld;", faultName(f), count);
    }
    std::printf(" total %ld\n", injected);
    std::printf("  outcomes: %ld \"Done.\", %ld error boxes, %ld errors raised, %ld refusals, %ld saves refused\n",
                t.done, t.errorBoxes, t.raised, t.refused, t.savesRefused);
    for (const auto &[text, count] : t.messages)
        std::printf("    %5ld x %s\n", count, qPrintable(text));
    std::printf("  worst: Read %lld ms, Send %lld ms, parameter step %lld ms, open + first step %lld ms\n",
                static_cast<long long>(t.worstReadMs), static_cast<long long>(t.worstSendMs),
                static_cast<long long>(t.worstStepMs), static_cast<long long>(t.worstFirstStepMs));
    std::printf("  descriptors %ld -> %ld, RSS %ld KiB -> %ld KiB\n", fdStart, fdEnd, rssStart, rssEnd);
    std::printf("  settings file read %ld times while saved, %ld seen half-written\n", fileReads, fileTorn);
    std::printf("  check failures: %ld\n", t.failures);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    long cycles = 1000;
    QString transport = QStringLiteral("both");
    quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    double faultRate = 0.5;
    long reportEvery = 50;
    QString dir;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const QString v = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == QLatin1String("--cycles")) cycles = v.toLong(), ++i;
        else if (a == QLatin1String("--transport")) transport = v, ++i;
        else if (a == QLatin1String("--seed")) seed = v.toUInt(), ++i;
        else if (a == QLatin1String("--fault-rate")) faultRate = v.toDouble(), ++i;
        else if (a == QLatin1String("--report-every")) reportEvery = std::max(1L, v.toLong()), ++i;
        else if (a == QLatin1String("--dir")) dir = v, ++i;
        else {
            std::fprintf(stderr, "usage: bench_soak [--cycles N] [--transport serial|usb|both] [--seed S] "
                                 "[--fault-rate P] [--report-every N] [--dir PATH]\n");
            return 2;
        }
    }
    // Never the user's own settings: a private configuration folder.
    QTemporaryDir scratch;
    if (dir.isEmpty())
        dir = scratch.path();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir + "/config"));
    std::printf("bench_soak: seed %u, %ld cycles per transport, fault rate %.2f, files in %s\n", seed, cycles,
                faultRate, qPrintable(dir));

    long failures = 0;
    QList<bool> transports;
    if (transport != QLatin1String("usb"))
        transports << true;
    if (transport != QLatin1String("serial"))
        transports << false;
    for (const bool serial : transports) {
        Totals totals;
        QElapsedTimer timer;
        timer.start();
        Soak soak(serial, seed, faultRate, dir, totals);
        long fdStart = 0, rssStart = 0;
        // Sampled after a few warm-up cycles, once Qt has loaded what it keeps.
        const long warmUp = std::min(cycles, 10L);
        for (long n = 0; n < cycles; ++n) {
            if (n == warmUp) {
                fdStart = settledDescriptors();
                rssStart = residentKiB();
            }
            soak.cycle(n);
            if ((n + 1) % reportEvery == 0)
                std::printf("  %s cycle %ld: fds %ld, RSS %ld KiB, worst step %lld ms, failures %ld, %.0f s\n",
                            serial ? "serial" : "usb", n + 1, openDescriptors(), residentKiB(),
                            static_cast<long long>(totals.worstStepMs), totals.failures, timer.elapsed() / 1000.0);
            std::fflush(stdout);
        }
        if (fdStart == 0) {
            fdStart = settledDescriptors();
            rssStart = residentKiB();
        }
        const long fdEnd = settledDescriptors(), rssEnd = residentKiB();
        if (fdEnd > fdStart) {
            std::fprintf(stderr, "soak: open descriptors grew from %ld to %ld\n", fdStart, fdEnd);
            ++totals.failures;
        }
        printTotals(serial ? "serial (pty)" : "usb (simulated bus)", totals, fdStart, fdEnd, rssStart, rssEnd,
                    soak.fileReads(), soak.fileTorn(), timer.elapsed() / 1000.0);
        if (soak.fileTorn() > 0)
            ++totals.failures;
        failures += totals.failures;
    }
    return failures == 0 ? 0 : 1;
}
