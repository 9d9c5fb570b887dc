// The companion's device commands end to end: brevolan4-cli against the
// brevolan4-encoder-sim tool on a pseudo-terminal, both run as their users
// run them; USB through BREVOLAN_SIMULATED_USB.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QString binDir() { return qEnvironmentVariable("BREVOLAN_BIN_DIR"); }
QString cliPath() { return binDir() + QStringLiteral("/src/brevolan4-cli"); }
QString simPath() { return binDir() + QStringLiteral("/sim/brevolan4-encoder-sim"); }

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(cliPath(), args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        r.err = "brevolan4-cli did not finish within 30 s";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The simulator tool; its first line on stdout is the pty's path.
class SimTool {
public:
    explicit SimTool(const QStringList &args)
    {
        m_process.setProgram(simPath());
        // The command log (stderr) follows the path line (stdout).
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setArguments(QStringList{QStringLiteral("--verbose")} + args);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < 5000)
            m_process.waitForReadyRead(100);
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimTool()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }
    QString path() const { return m_path; }
    QString devId(int speed = 9600) const { return QStringLiteral("1, %1, %2").arg(m_path).arg(speed); }
    // What the encoder heard (--verbose logs every command on stderr).
    QByteArray log()
    {
        while (m_process.waitForReadyRead(200))
            m_log += m_process.readAll();
        m_log += m_process.readAll();
        return m_log;
    }

private:
    QProcess m_process;
    QString m_path;
    QByteArray m_log;
};

QByteArray settingsLine(const char *key, const QByteArray &value) { return QByteArray(key) + '=' + value + "\r\n"; }

} // namespace

class DeviceCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void read();
    void readToFile();
    void sendThenGet();
    void reset();
    void rev();
    void revNotConnected();
    void set();
    void devices();
    void usbRead();
    void failures_data();
    void failures();
    void usageErrors_data();
    void usageErrors();
    void preferencesUntouched();

private:
    QTemporaryDir m_dir;
};

void DeviceCommandsTest::initTestCase()
{
    QVERIFY2(QFile::exists(cliPath()), "build brevolan4-cli and run through ctest (BREVOLAN_BIN_DIR)");
    QVERIFY2(QFile::exists(simPath()), "build brevolan4-encoder-sim");
    QVERIFY(m_dir.isValid());
}

void DeviceCommandsTest::read()
{
    SimTool sim({QStringLiteral("--set"), QStringLiteral("PS=HELLO"), QStringLiteral("--set"),
                 QStringLiteral("PTY=5"), QStringLiteral("--set"), QStringLiteral("DPS= NOW ")});
    QVERIFY(!sim.path().isEmpty());
    const Run r = runCli({QStringLiteral("read"), QStringLiteral("--device"), sim.devId()});
    QCOMPARE(r.err, QByteArray());   // no progress when stderr is no terminal
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith(settingsLine("PI", "FFFF") + settingsLine("PTY", "5")));
    QVERIFY(r.out.contains(settingsLine("DPS", "NOW")));
    QVERIFY(r.out.contains(settingsLine("PS", "HELLO")));
    QVERIFY(r.out.endsWith(settingsLine("SPEED", "2")));   // index of 9600
}

void DeviceCommandsTest::readToFile()
{
    SimTool sim({QStringLiteral("--set"), QStringLiteral("PS=TOFILE")});
    const QString file = m_dir.filePath(QStringLiteral("read.bvx"));
    const Run r = runCli({QStringLiteral("read"), QStringLiteral("--device"), sim.devId(), QStringLiteral("-o"), file});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains(settingsLine("PS", "TOFILE")));
    // The same text Save writes, which check reads back unchanged.
    const Run check = runCli({QStringLiteral("check"), file});
    QCOMPARE(check.exitCode, 0);
    QCOMPARE(check.out, text);
}

// send follows the speed: the identifier in force afterwards carries the
// sent speed, and the encoder answers there.
void DeviceCommandsTest::sendThenGet()
{
    SimTool sim({});
    const QString file = m_dir.filePath(QStringLiteral("send.bvx"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(settingsLine("PI", "54A8") + settingsLine("PTY", "9") + settingsLine("PS", "SENT")
                + settingsLine("TEXT", "Radio text") + settingsLine("SPEED", "3"));   // 19200
    }
    const Run r = runCli({QStringLiteral("send"), QStringLiteral("--device"), sim.devId(), file});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, sim.devId(19200).toLocal8Bit() + '\n');
    QVERIFY(sim.log().contains("SAVE"));

    const Run g = runCli({QStringLiteral("get"), QStringLiteral("--device"), sim.devId(19200), QStringLiteral("PS"),
                          QStringLiteral("pty"), QStringLiteral("TEXT"), QStringLiteral("DPS"), QStringLiteral("SPEED")});
    QCOMPARE(g.err, QByteArray());
    QCOMPARE(g.exitCode, 0);
    QCOMPARE(g.out, QByteArray("PS=SENT\nPTY=9\nTEXT=Radio text\nDPS=\nSPEED=19200\n"));
}

void DeviceCommandsTest::reset()
{
    SimTool sim({QStringLiteral("--set"), QStringLiteral("SPEED=19200"), QStringLiteral("--set"),
                 QStringLiteral("PS=CUSTOM")});
    const Run r = runCli({QStringLiteral("reset"), QStringLiteral("--device"), sim.devId(19200)});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(settingsLine("PS", "BREVOLAN")));
    QVERIFY(r.out.endsWith(settingsLine("SPEED", "2")));
    const QByteArray log = sim.log();
    QVERIFY(log.contains("INIT"));
    QVERIFY(log.contains("SAVE"));
}

void DeviceCommandsTest::rev()
{
    SimTool sim({QStringLiteral("--revision"), QStringLiteral("4.56"), QStringLiteral("--eol"), QStringLiteral("crlf")});
    const Run r = runCli({QStringLiteral("rev"), QStringLiteral("--device"), sim.devId()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray("4.56\n"));
}

void DeviceCommandsTest::revNotConnected()
{
    SimTool sim({QStringLiteral("--noise")});
    const Run r = runCli({QStringLiteral("rev"), QStringLiteral("--device"), sim.devId()});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(!r.err.isEmpty());
}

void DeviceCommandsTest::set()
{
    SimTool sim({});
    const Run r = runCli({QStringLiteral("set"), QStringLiteral("--device"), sim.devId(), QStringLiteral("--save"),
                          QStringLiteral("ps=NEW PS"), QStringLiteral("TA=1")});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray());
    const QByteArray log = sim.log();
    QVERIFY(log.contains("PS=NEW PS"));
    QVERIFY(log.contains("TA=1"));
    QVERIFY(log.contains("SAVE"));

    const Run g = runCli({QStringLiteral("get"), QStringLiteral("--device"), sim.devId(), QStringLiteral("PS"),
                          QStringLiteral("TA")});
    QCOMPARE(g.out, QByteArray("PS=NEW PS\nTA=1\n"));
}

void DeviceCommandsTest::devices()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVOLAN_SIMULATED_USB"), QStringLiteral("SIMA01,SIMB02"));
    const Run r = runCli({QStringLiteral("devices")}, env);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains("2, SIMA01\tBrevolan 4 RDS/RBDS Encoder\n"));
    QVERIFY(r.out.contains("2, SIMB02\tBrevolan 4 RDS/RBDS Encoder\n"));
    for (const QByteArray &line : r.out.split('\n'))
        QVERIFY(line.isEmpty() || line.startsWith("1, ") || line.startsWith("2, "));
}

void DeviceCommandsTest::usbRead()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVOLAN_SIMULATED_USB"), QStringLiteral("SIMA01"));
    const Run r = runCli({QStringLiteral("read"), QStringLiteral("--device"), QStringLiteral("2, SIMA01")}, env);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(settingsLine("PS", "BREVOLAN")));

    const Run absent = runCli({QStringLiteral("read"), QStringLiteral("--device"), QStringLiteral("2, NOSUCH")}, env);
    QCOMPARE(absent.exitCode, 1);
    QCOMPARE(absent.out, QByteArray());
    QCOMPARE(absent.err, QByteArray("Cannot open the USB encoder \"NOSUCH\".\n"));
}

void DeviceCommandsTest::failures_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QByteArray>("message");
    const QByteArray comms("Brevolan 4 - Communications Error.\n");
    QTest::newRow("read, silent encoder") << QStringList{QStringLiteral("--silent")} << QStringList{QStringLiteral("read")}
                                          << comms;
    QTest::newRow("read, PI unanswered") << QStringList{QStringLiteral("--never-ok"), QStringLiteral("PI")}
                                         << QStringList{QStringLiteral("read")} << comms;
    QTest::newRow("send, missing file") << QStringList() << QStringList{QStringLiteral("send"), QStringLiteral("/nonexistent/x.bvx")}
                                        << QByteArray("Cannot open file \"/nonexistent/x.bvx\".");
    QTest::newRow("get, key unanswered") << QStringList{QStringLiteral("--never-ok"), QStringLiteral("PTY")}
                                         << QStringList{QStringLiteral("get"), QStringLiteral("PTY")} << comms;
    QTest::newRow("set, SAVE unanswered") << QStringList{QStringLiteral("--save-unanswered")}
                                          << QStringList{QStringLiteral("set"), QStringLiteral("--save"), QStringLiteral("TA=1")}
                                          << comms;
    QTest::newRow("reset, silent encoder") << QStringList{QStringLiteral("--silent")} << QStringList{QStringLiteral("reset")}
                                           << comms;
}

// Every failure: the window's message on stderr, nothing on stdout, exit 1.
void DeviceCommandsTest::failures()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, command);
    QFETCH(QByteArray, message);
    SimTool sim(simArgs);
    QStringList args{command.first(), QStringLiteral("--device"), sim.devId()};
    args << command.mid(1);
    const Run r = runCli(args);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith(message), r.err.constData());
}

void DeviceCommandsTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("read without device") << QStringList{QStringLiteral("read")};
    QTest::newRow("device of no kind") << QStringList{QStringLiteral("read"), QStringLiteral("--device"), QStringLiteral("3, X")};
    QTest::newRow("get unknown key") << QStringList{QStringLiteral("get"), QStringLiteral("--device"), QStringLiteral("2, X"), QStringLiteral("FOO")};
    QTest::newRow("set without =") << QStringList{QStringLiteral("set"), QStringLiteral("--device"), QStringLiteral("2, X"), QStringLiteral("PS")};
    QTest::newRow("set SPEED") << QStringList{QStringLiteral("set"), QStringLiteral("--device"), QStringLiteral("2, X"), QStringLiteral("SPEED=19200")};
    QTest::newRow("set value with CR") << QStringList{QStringLiteral("set"), QStringLiteral("--device"), QStringLiteral("2, X"), QStringLiteral("PS=A\rINIT")};
    QTest::newRow("send without file") << QStringList{QStringLiteral("send"), QStringLiteral("--device"), QStringLiteral("2, X")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("rev"), QStringLiteral("--device"), QStringLiteral("2, X"), QStringLiteral("--fast")};
}

// Usage errors: exit 2 before any device is touched.
void DeviceCommandsTest::usageErrors()
{
    QFETCH(QStringList, args);
    const Run r = runCli(args);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(!r.err.isEmpty());
}

// The companion keeps DevID in memory: the user's preferences never change.
void DeviceCommandsTest::preferencesUntouched()
{
    const QString store = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("Tarvenix/ostrel9.conf"));
    QVERIFY(!qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
    QVERIFY2(!QFile::exists(store), qPrintable(store));
}

QTEST_GUILESS_MAIN(DeviceCommandsTest)
#include "DeviceCommandsTest.moc"
