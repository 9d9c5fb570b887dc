// brevolan4-cli watch against the encoder simulator on a pseudo-terminal:
// the companion runs as its users run it, the encoder's side is inspected
// directly.

#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <memory>

using brevolan::sim::EncoderEngine;
using brevolan::sim::EncoderFaults;
using brevolan::sim::PtyEncoder;

namespace {

QString cliPath() { return qEnvironmentVariable("BREVOLAN_BIN_DIR") + QStringLiteral("/src/brevolan4-cli"); }

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(contents) == contents.size();
}

// What the playout systems do: write a temporary file, rename it over the old.
bool replaceFile(const QString &path, const QByteArray &contents)
{
    const QString temporary = path + QStringLiteral(".tmp");
    return writeFile(temporary, contents) && ::rename(qPrintable(temporary), qPrintable(path)) == 0;
}

} // namespace

class WatchCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fileRewrittenThreeTimes();
    void replacedFileIsFollowed_data();
    void replacedFileIsFollowed();
    void standardInput();
    void encoderBackGetsNewestText_data();
    void encoderBackGetsNewestText();
    void textCutAndTransliterated();
    void everyKeyGetsTheText();
    void signalEndsCleanly_data();
    void signalEndsCleanly();
    void usageErrors_data();
    void usageErrors();

private:
    void startWatch(const QStringList &extra, const QString &source);
    QByteArray log();
    // The texts the encoder was given, in order, since command number from.
    QList<QByteArray> commandsOf(const QByteArray &key, qsizetype from = 0) const;
    bool waitForText(const QByteArray &text, int ms = 5000, const QByteArray &key = "TEXT");

    QTemporaryDir m_dir;
    QString m_file;
    std::shared_ptr<EncoderEngine> m_engine;
    std::unique_ptr<PtyEncoder> m_pty;
    QString m_devId;
    std::unique_ptr<QProcess> m_watch;
    QByteArray m_log;
};

void WatchCommandTest::initTestCase()
{
    QVERIFY2(QFile::exists(cliPath()), "build brevolan4-cli and run through ctest (BREVOLAN_BIN_DIR)");
    QVERIFY(m_dir.isValid());
}

void WatchCommandTest::init()
{
    m_engine = std::make_shared<EncoderEngine>();
    m_pty = std::make_unique<PtyEncoder>(m_engine);
    m_pty->setPaced(false);
    QString error;
    QVERIFY2(m_pty->start(&error), qPrintable(error));
    m_devId = QStringLiteral("1, %1, 9600").arg(m_pty->slavePath());
    m_file = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + QStringLiteral(".txt"));
    QFile::remove(m_file);
    m_log.clear();
}

void WatchCommandTest::cleanup()
{
    if (m_watch) {
        if (m_watch->state() != QProcess::NotRunning) {
            m_watch->kill();
            m_watch->waitForFinished(3000);
        }
        if (QTest::currentTestFailed())
            qWarning().noquote() << "watch log:\n" << log();
        m_watch.reset();
    }
    m_pty.reset();
}

void WatchCommandTest::startWatch(const QStringList &extra, const QString &source)
{
    m_watch = std::make_unique<QProcess>();
    m_watch->start(cliPath(), QStringList{QStringLiteral("watch"), QStringLiteral("--device"), m_devId} + extra
                                  + QStringList{source});
    QVERIFY(m_watch->waitForStarted(3000));
}

QByteArray WatchCommandTest::log()
{
    if (m_watch)
        m_log += m_watch->readAllStandardError();
    return m_log;
}

QList<QByteArray> WatchCommandTest::commandsOf(const QByteArray &key, qsizetype from) const
{
    QList<QByteArray> values;
    const QList<QByteArray> commands = m_engine->commandLog();
    for (qsizetype i = from; i < commands.size(); ++i)
        if (commands.at(i).startsWith(key + '='))
            values << commands.at(i).mid(key.size() + 1);
    return values;
}

bool WatchCommandTest::waitForText(const QByteArray &text, int ms, const QByteArray &key)
{
    QElapsedTimer t;
    t.start();
    while (m_engine->value(key) != text) {
        if (t.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    // The "OK" is on its way; let the companion take it and log the result.
    QTest::qWait(100);
    return true;
}

void WatchCommandTest::fileRewrittenThreeTimes()
{
    QVERIFY(writeFile(m_file, "Queen - Bohemian Rhapsody\n"));
    startWatch({}, m_file);
    QVERIFY(waitForText("Queen - Bohemian Rhapsody"));

    QVERIFY(writeFile(m_file, "Blondie - Atomic\n"));
    QVERIFY(waitForText("Blondie - Atomic"));
    // Twice in quick succession: only the newer text goes out.
    QVERIFY(writeFile(m_file, "Kraftwerk - Autobahn\n"));
    QVERIFY(writeFile(m_file, "Kraftwerk - The Model\n"));
    QVERIFY(waitForText("Kraftwerk - The Model"));
    QTest::qWait(600);

    QCOMPARE(commandsOf("TEXT"),
             (QList<QByteArray>{"Queen - Bohemian Rhapsody", "Blondie - Atomic", "Kraftwerk - The Model"}));
    QVERIFY(!m_engine->commandLog().contains("SAVE"));
    QCOMPARE(m_engine->saveCount(), 0);
    QVERIFY(log().contains("TEXT=\"Kraftwerk - The Model\" sent"));
    QCOMPARE(m_watch->state(), QProcess::Running);
}

void WatchCommandTest::replacedFileIsFollowed_data()
{
    QTest::addColumn<bool>("deleteFirst");
    QTest::newRow("rename over it") << false;
    QTest::newRow("deleted, then written again") << true;
}

void WatchCommandTest::replacedFileIsFollowed()
{
    QFETCH(bool, deleteFirst);
    QVERIFY(writeFile(m_file, "one\n"));
    startWatch({}, m_file);
    QVERIFY(waitForText("one"));

    // Twice, so that the watch is known to follow the new file and not
    // only to notice that the old one went.
    for (const QByteArray &text : {QByteArray("two"), QByteArray("three")}) {
        if (deleteFirst) {
            QVERIFY(QFile::remove(m_file));
            QTRY_VERIFY(log().contains("is missing; waiting for it"));
            QVERIFY(writeFile(m_file, text + '\n'));
        } else {
            QVERIFY(replaceFile(m_file, text + '\n'));
        }
        QVERIFY2(waitForText(text), text.constData());
    }
    QCOMPARE(commandsOf("TEXT"), (QList<QByteArray>{"one", "two", "three"}));
}

void WatchCommandTest::standardInput()
{
    startWatch({}, QStringLiteral("-"));
    m_watch->write("Nena - 99 Luftballons\n");
    QVERIFY(waitForText("Nena - 99 Luftballons"));
    // Lines that come together are coalesced; an unchanged one is not resent.
    m_watch->write("Falco - Rock Me Amadeus\nFalco - Jeanny\n");
    QVERIFY(waitForText("Falco - Jeanny"));
    m_watch->write("Falco - Jeanny\r\n");
    QTRY_VERIFY(log().contains("unchanged, not sent again"));
    QCOMPARE(commandsOf("TEXT"), (QList<QByteArray>{"Nena - 99 Luftballons", "Falco - Jeanny"}));

    // The end of input ends the watch once the newest text is on air; a last
    // line without its line end still counts.
    m_watch->write("Trio - Da Da Da");
    m_watch->closeWriteChannel();
    QVERIFY(m_watch->waitForFinished(5000));
    QCOMPARE(m_watch->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_watch->exitCode(), 0);
    QCOMPARE(m_engine->value("TEXT"), QByteArray("Trio - Da Da Da"));
}

void WatchCommandTest::encoderBackGetsNewestText_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::newRow("silent") << false;
    QTest::newRow("unplugged") << true;
}

void WatchCommandTest::encoderBackGetsNewestText()
{
    QFETCH(bool, unplugged);
    // Unplugged: the device the companion is told to use is not there until
    // the link to the simulator's terminal appears.
    const QString plug = m_dir.filePath(QStringLiteral("encoder"));
    QFile::remove(plug);
    if (unplugged) {
        m_devId = QStringLiteral("1, %1, 9600").arg(plug);
    } else {
        EncoderFaults silent;
        silent.silent = true;
        m_engine->setFaults(silent);
    }
    QVERIFY(writeFile(m_file, "Old song\n"));
    startWatch({}, m_file);
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("TEXT=\"Old song\" not sent (attempt 1): "), 5000);
    QVERIFY(log().contains("Next attempt in 1 s."));
    QVERIFY(writeFile(m_file, "New song\n"));
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("TEXT=\"New song\" not sent"), 8000);

    const qsizetype mark = m_engine->commandLog().size();
    if (unplugged)
        QVERIFY(QFile::link(m_pty->slavePath(), plug));
    else
        m_engine->setFaults(EncoderFaults{});
    QVERIFY(waitForText("New song", 15000));
    QCOMPARE(commandsOf("TEXT", mark), QList<QByteArray>{"New song"});
    QVERIFY(log().contains("TEXT=\"New song\" sent (attempt "));
    QVERIFY(log().contains("Next attempt in 2 s."));
    QCOMPARE(m_engine->saveCount(), 0);
    QFile::remove(plug);
}

void WatchCommandTest::textCutAndTransliterated()
{
    startWatch({QStringLiteral("--prefix"), QStringLiteral("Now playing: ")}, QStringLiteral("-"));
    m_watch->write("Sigur R\xc3\xb3s \xe2\x80\x93 Hopp\xc3\xadpolla\n");
    QVERIFY(waitForText("Now playing: Sigur Ros - Hoppipolla"));
    QVERIFY(log().contains("replaced \xc3\xb3\xe2\x86\x92o, \xe2\x80\x93\xe2\x86\x92-, \xc3\xad\xe2\x86\x92i"));

    const QByteArray longTitle = "The Beatles - Sgt. Pepper's Lonely Hearts Club Band (Reprise, Remastered 2009)";
    m_watch->write(longTitle + '\n');
    const QByteArray expected = ("Now playing: " + longTitle).left(64);
    QVERIFY(waitForText(expected));
    QCOMPARE(expected.size(), 64);
    QVERIFY(log().contains(QStringLiteral("cut to 64 characters (was %1)").arg(longTitle.size() + 13).toLatin1()));
}

void WatchCommandTest::everyKeyGetsTheText()
{
    // With the echo on, a title holding "OK" ends the wait at the echoed
    // command; the second key must still get its own answer.
    m_engine->setValue("ECHO", "1");
    startWatch({QStringLiteral("--key"), QStringLiteral("TEXT"), QStringLiteral("--key=dps")}, QStringLiteral("-"));
    m_watch->write("OK Go - Here It Goes Again\n");
    QVERIFY(waitForText("OK Go - Here It Goes Again", 5000, "DPS"));
    QCOMPARE(m_engine->value("TEXT"), QByteArray("OK Go - Here It Goes Again"));
    m_watch->write("Radiohead - Airbag\n");
    QVERIFY(waitForText("Radiohead - Airbag", 5000, "DPS"));
    QCOMPARE(m_engine->value("TEXT"), QByteArray("Radiohead - Airbag"));
    QVERIFY(log().contains("TEXT, DPS=\"Radiohead - Airbag\" sent"));
    QVERIFY(!log().contains("not sent"));
}

void WatchCommandTest::signalEndsCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("encoderSilent");
    QTest::newRow("SIGTERM, idle") << int(SIGTERM) << false;
    QTest::newRow("SIGINT, idle") << int(SIGINT) << false;
    QTest::newRow("SIGTERM, while waiting for the encoder") << int(SIGTERM) << true;
}

void WatchCommandTest::signalEndsCleanly()
{
    QFETCH(int, signal);
    QFETCH(bool, encoderSilent);
    EncoderFaults faults;
    faults.silent = encoderSilent;
    m_engine->setFaults(faults);
    QVERIFY(writeFile(m_file, "Madness - Our House\n"));
    startWatch({}, m_file);
    if (encoderSilent)
        QTRY_VERIFY(m_engine->commandLog().size() >= 2);   // the handshake is under way
    else
        QVERIFY(waitForText("Madness - Our House"));

    QElapsedTimer t;
    t.start();
    ::kill(pid_t(m_watch->processId()), signal);
    QVERIFY(m_watch->waitForFinished(3000));
    QVERIFY2(t.elapsed() < 1500, qPrintable(QStringLiteral("took %1 ms").arg(t.elapsed())));
    QCOMPARE(m_watch->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_watch->exitCode(), 0);
    QVERIFY(log().contains(signal == SIGINT ? "SIGINT received, stopping" : "SIGTERM received, stopping"));
    QVERIFY(log().trimmed().endsWith("stopped"));
    // The attempt under way was cut short, not finished and then stopped.
    if (encoderSilent)
        QVERIFY(log().contains("TEXT=\"Madness - Our House\" not sent: stopping"));
}

void WatchCommandTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no device") << QStringList{"watch", "-"} << QByteArray("--device DEVID is required");
    QTest::newRow("bad device") << QStringList{"watch", "--device", "COM1", "-"} << QByteArray("is no device identifier");
    QTest::newRow("key that is no text") << QStringList{"watch", "--device", "1, COM1, 9600", "--key", "PS", "-"}
                                         << QByteArray("--key takes TEXT or DPS");
    QTest::newRow("no source") << QStringList{"watch", "--device", "1, COM1, 9600"} << QByteArray("which file?");
    QTest::newRow("two sources") << QStringList{"watch", "--device", "1, COM1, 9600", "a", "b"} << QByteArray("one SOURCE only");
    QTest::newRow("a folder") << QStringList{"watch", "--device", "1, COM1, 9600", "/"} << QByteArray("is no plain file");
    QTest::newRow("unknown option") << QStringList{"watch", "--save", "-"} << QByteArray("unknown option --save");
}

void WatchCommandTest::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    QProcess p;
    p.start(cliPath(), args);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY2(p.readAllStandardError().contains(message), message.constData());
}

QTEST_GUILESS_MAIN(WatchCommandTest)
#include "WatchCommandTest.moc"
