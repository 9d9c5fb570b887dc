// brevolan4-cli: the conversions, check, help, version and usage errors.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList &args, const QString &workingDir = QString())
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(qEnvironmentVariable("BREVOLAN_BIN_DIR") + QStringLiteral("/src/brevolan4-cli"), args);
    Run r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        r.err = "<did not finish within 10 s>";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

const QByteArray DefaultFile =
    "PI=FFFF\r\nPTY=0\r\nMS=1\r\nTA=0\r\nPARSE=0\r\nDPSS=0\r\nDRTS=0\r\nTP=0\r\nDI=0\r\nECHO=1\r\n"
    "PS=BREVOLAN\r\nAF1=0\r\nAF2=0\r\nAF3=0\r\nAF4=0\r\nAF5=0\r\nAF6=0\r\nAF7=0\r\nAF8=0\r\nAF9=0\r\n"
    "SPEED=2\r\n";

} // namespace

class CompanionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void piToCall_data();
    void piToCall();
    void callToPi_data();
    void callToPi();
    void checkRewritesFile_data();
    void checkRewritesFile();
    void checkFailures_data();
    void checkFailures();
    void helpAndVersion();
    void usageErrors_data();
    void usageErrors();

private:
    QTemporaryDir m_dir;
};

void CompanionTest::initTestCase()
{
    QVERIFY2(QFile::exists(qEnvironmentVariable("BREVOLAN_BIN_DIR") + QStringLiteral("/src/brevolan4-cli")),
             "build brevolan4-cli and run through ctest (BREVOLAN_BIN_DIR)");
    QVERIFY(m_dir.isValid());
}

void CompanionTest::piToCall_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("KZZZ") << "54A7" << 0 << QByteArray("KZZZ\n") << QByteArray();
    QTest::newRow("lower case") << "afa1" << 0 << QByteArray("KAAA\n") << QByteArray();
    QTest::newRow("low 16 bits") << "1AFA1" << 0 << QByteArray("KAAA\n") << QByteArray();
    QTest::newRow("short") << "12" << 0 << QByteArray("----\n") << QByteArray();
    QTest::newRow("no call") << "FFFF" << 0 << QByteArray("----\n") << QByteArray();
    QTest::newRow("fixed") << "C008" << 0 << QByteArray("CJBC-1\n") << QByteArray();
    QTest::newRow("remapped fixed") << "AC06" << 0 << QByteArray("CBCK\n") << QByteArray();
    QTest::newRow("not hex") << "XYZ" << 1 << QByteArray() << QByteArray("'$XYZ' is not a valid integer value\n");
    QTest::newRow("empty") << "" << 1 << QByteArray() << QByteArray("'$' is not a valid integer value\n");
    QTest::newRow("dollar given") << "$12" << 1 << QByteArray() << QByteArray("'$$12' is not a valid integer value\n");
    QTest::newRow("nine digits") << "123456789" << 1 << QByteArray()
                                 << QByteArray("'$123456789' is not a valid integer value\n");
}

void CompanionTest::piToCall()
{
    QFETCH(QString, hex);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const Run r = runCli({QStringLiteral("pi-to-call"), hex});
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, out);
    QCOMPARE(r.exitCode, exitCode);
}

void CompanionTest::callToPi_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("KAAA") << "KAAA" << QByteArray("AFA1\n");
    QTest::newRow("KABJ") << "KABJ" << QByteArray("A123\n");
    QTest::newRow("WZZZ") << "WZZZ" << QByteArray("994F\n");
    QTest::newRow("lower case") << "wxyz" << QByteArray("93ED\n");
    QTest::newRow("three letters") << "KEX" << QByteArray("0000\n");
    QTest::newRow("Canadian") << "CBCK" << QByteArray("0000\n");
    QTest::newRow("empty") << "" << QByteArray("0000\n");
}

void CompanionTest::callToPi()
{
    QFETCH(QString, letters);
    QFETCH(QByteArray, out);
    const Run r = runCli({QStringLiteral("call-to-pi"), letters});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, out);
    QCOMPARE(r.exitCode, 0);
}

void CompanionTest::checkRewritesFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("canonical file unchanged") << DefaultFile << DefaultFile;
    QByteArray minimal = DefaultFile;
    minimal.replace("MS=1", "MS=0");
    QTest::newRow("defaults of a file") << QByteArray("PI=FFFF\r\nPS=BREVOLAN\r\n") << minimal;
    QByteArray edited = DefaultFile;
    edited.replace("PI=FFFF\r\n", "PI=54a8\r\n").replace("PTY=0", "PTY=-1").replace("SPEED=2", "SPEED=6");
    edited.replace("PS=BREVOLAN\r\n", "TEXT= hello \r\nPS=BREVOLAN\r\n");
    QTest::newRow("any case, LF, out of range")
        << QByteArray("spEEd=6\nPTY=40\nms=1\ntext= hello \nPI=54a8\nPS=BREVOLAN\nPS=SECOND\n") << edited;
}

void CompanionTest::checkRewritesFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, printed);
    const QString file = m_dir.filePath(QStringLiteral("check.bvx"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const Run r = runCli({QStringLiteral("check"), file});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, printed);
    QCOMPARE(r.exitCode, 0);
}

void CompanionTest::checkFailures_data()
{
    QTest::addColumn<QString>("name");          // relative to the working folder
    QTest::addColumn<QByteArray>("content");    // empty: no file is written
    QTest::addColumn<QString>("message");       // %1 = the file's full path
    QTest::newRow("missing") << "missing.bvx" << QByteArray()
                             << "Cannot open file \"%1\". No such file or directory.";
    QTest::newRow("directory") << "." << QByteArray() << "Cannot open file \"%1\". Is a directory.";
    QTest::newRow("no PI") << "nopi.bvx" << QByteArray("PS=X\r\n") << "'$' is not a valid integer value.";
    QTest::newRow("bad PI") << "badpi.bvx" << QByteArray("PI=12G4\r\n") << "'$12G4' is not a valid integer value.";
}

void CompanionTest::checkFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QDir dir(m_dir.path());
    if (!content.isEmpty()) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const Run r = runCli({QStringLiteral("check"), name}, m_dir.path());
    const QString full = QFileInfo(dir.filePath(name)).absoluteFilePath();
    QCOMPARE(QString::fromLocal8Bit(r.err), message.arg(full) + QLatin1Char('\n'));
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.exitCode, 1);
}

void CompanionTest::helpAndVersion()
{
    const Run version = runCli({QStringLiteral("--version")});
    QCOMPARE(version.out, QByteArray("brevolan4-cli 4.0.0\n"));
    QCOMPARE(version.exitCode, 0);

    const Run help = runCli({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QCOMPARE(help.err, QByteArray());
    for (const char *command : {"pi-to-call", "call-to-pi", "check", "read", "send", "reset", "rev",
                                "get", "set", "devices", "watch", "--version"})
        QVERIFY2(help.out.contains(QByteArray("  ") + command + ' '), command);
}

void CompanionTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("mentions");
    QTest::newRow("no command") << QStringList() << QByteArray("no command");
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << QByteArray("frobnicate");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << QByteArray("--frobnicate");
    QTest::newRow("pi-to-call without HEX") << QStringList{"pi-to-call"} << QByteArray("pi-to-call HEX");
    QTest::newRow("call-to-pi with two") << QStringList{"call-to-pi", "KAAA", "KBBB"} << QByteArray("call-to-pi LETTERS");
    QTest::newRow("check without FILE") << QStringList{"check"} << QByteArray("check FILE");
}

void CompanionTest::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, mentions);
    const Run r = runCli(args);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains(mentions), r.err.constData());
}

QTEST_GUILESS_MAIN(CompanionTest)
#include "CompanionTest.moc"
