#include "SerialClient.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace simtest;

class EncoderSimToolTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void servesUntilSigterm();
    void sigintEndsItToo();
    void faultOptionsReachTheEngine();
    void unplugEndsTheTool();
    void helpAndBadOptions_data();
    void helpAndBadOptions();

private:
    // Starts the tool and returns the path from its first line.
    QString start(QProcess &process, const QStringList &args);
    QString m_tool;
};

void EncoderSimToolTest::initTestCase()
{
    m_tool = qEnvironmentVariable("BREVOLAN_BIN_DIR") + QStringLiteral("/sim/brevolan4-encoder-sim");
    QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
}

QString EncoderSimToolTest::start(QProcess &process, const QStringList &args)
{
    process.setProgram(m_tool);
    process.setArguments(args);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(3000))
        return {};
    while (!process.canReadLine() && process.waitForReadyRead(3000)) {
    }
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

void EncoderSimToolTest::servesUntilSigterm()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("encoder"));
    QProcess tool;
    const QString path = start(tool, {QStringLiteral("--link"), link, QStringLiteral("--echo"), QStringLiteral("off"),
                                      QStringLiteral("--revision"), QStringLiteral("9.87"),
                                      QStringLiteral("--eol"), QStringLiteral("crlf")});
    QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    {
        QSerialPort port;
        QVERIFY2(openPort(port, link, 9600), qPrintable(port.errorString()));
        QCOMPARE(exchange(port, "\r", "NO\r\n"), QByteArray("NO\r\n"));
        QCOMPARE(exchange(port, "REV\r", "\r\n"), QByteArray("REV=9.87\r\n"));
        QCOMPARE(exchange(port, "PI?\r", "OK\r\n"), QByteArray("FFFF\r\nOK\r\n"));
    }

    tool.terminate();   // SIGTERM
    QVERIFY(tool.waitForFinished(3000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(path));
}

void EncoderSimToolTest::sigintEndsItToo()
{
    QProcess tool;
    QVERIFY(!start(tool, {}).isEmpty());
    ::kill(pid_t(tool.processId()), SIGINT);
    QVERIFY(tool.waitForFinished(3000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
}

void EncoderSimToolTest::faultOptionsReachTheEngine()
{
    QProcess tool;
    const QString path = start(tool, {QStringLiteral("--echo"), QStringLiteral("off"),
                                      QStringLiteral("--handshake-from"), QStringLiteral("2"),
                                      QStringLiteral("--never-ok"), QStringLiteral("PS"),
                                      QStringLiteral("--set"), QStringLiteral("PI=C201"),
                                      QStringLiteral("--no-pace")});
    QVERIFY(!path.isEmpty());
    QSerialPort port;
    QVERIFY(openPort(port, path, 9600));
    QCOMPARE(exchange(port, "\r", "NO", 300), QByteArray());
    QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
    QCOMPARE(exchange(port, "PS?\r", "OK", 300), QByteArray());
    QCOMPARE(exchange(port, "PI?\r", "OK\r"), QByteArray("C201\rOK\r"));
    port.close();
    tool.terminate();
    QVERIFY(tool.waitForFinished(3000));
    QCOMPARE(tool.exitCode(), 0);
}

void EncoderSimToolTest::unplugEndsTheTool()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("encoder"));
    QProcess tool;
    const QString path = start(tool, {QStringLiteral("--unplug-after"), QStringLiteral("1"),
                                      QStringLiteral("--echo"), QStringLiteral("off"),
                                      QStringLiteral("--link"), link});
    QSerialPort port;
    QVERIFY(openPort(port, path, 9600));
    QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
    QVERIFY(tool.waitForFinished(3000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void EncoderSimToolTest::helpAndBadOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << true << QStringLiteral("--unplug-after");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << false << QStringLiteral("bogus");
    QTest::newRow("bad eol") << QStringList{QStringLiteral("--eol"), QStringLiteral("lf")} << false << QStringLiteral("--eol");
    QTest::newRow("bad number") << QStringList{QStringLiteral("--delay"), QStringLiteral("soon")} << false << QStringLiteral("--delay");
    QTest::newRow("bad key") << QStringList{QStringLiteral("--set"), QStringLiteral("XX=1")} << false << QStringLiteral("--set");
}

void EncoderSimToolTest::helpAndBadOptions()
{
    QFETCH(QStringList, args);
    QFETCH(bool, succeeds);
    QFETCH(QString, says);
    QProcess tool;
    tool.start(m_tool, args);
    QVERIFY(tool.waitForFinished(3000));
    QCOMPARE(tool.exitCode() == 0, succeeds);
    const QString text = QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(text.contains(says), qPrintable(text));
}

QTEST_GUILESS_MAIN(EncoderSimToolTest)
#include "EncoderSimToolTest.moc"
