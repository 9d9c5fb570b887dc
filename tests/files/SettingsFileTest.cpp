// Reading and writing "RDS settings" files on a ParameterModel.

#include "common/BrevolanError.h"
#include "files/SettingsFile.h"
#include "files/SettingsFileReader.h"
#include "files/SettingsFileWriter.h"
#include "model/ParameterModel.h"
#include "model/ValueLists.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevolan;

namespace {

// What Save writes right after start-up with a serial device at 9600 baud.
const QByteArray DefaultFile =
    "PI=FFFF\r\nPTY=0\r\nMS=1\r\nTA=0\r\nPARSE=0\r\nDPSS=0\r\nDRTS=0\r\nTP=0\r\nDI=0\r\nECHO=1\r\n"
    "PS=BREVOLAN\r\nAF1=0\r\nAF2=0\r\nAF3=0\r\nAF4=0\r\nAF5=0\r\nAF6=0\r\nAF7=0\r\nAF8=0\r\nAF9=0\r\n"
    "SPEED=2\r\n";

QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const BrevolanError &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void defaultSaveWritesTwentyOneLines();
    void loadAfterSave();
    void fullRoundTrip();
    void load_data();
    void load();
    void ptyThirtyOneInBothModes();
    void piStopsTheLoad_data();
    void piStopsTheLoad();
    void veryLongLine();
    void binaryGarbageNeverCrashes();
    void sizeLimit_data();
    void sizeLimit();
    void openFailures_data();
    void openFailures();
    void unreadableFile();
    void uncreatablePath();
    void failedWriteKeepsOldFile();
    void targetIsDirectory();
    void latin1Round();
    void unstorableCharacterRefused_data();
    void unstorableCharacterRefused();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const;
    static QByteArray readAll(const QString &file);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SettingsFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString SettingsFileTest::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the fixture %s", qPrintable(f.fileName()));
    return f.fileName();
}

QByteArray SettingsFileTest::readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void SettingsFileTest::defaultSaveWritesTwentyOneLines()
{
    ParameterModel m;
    m.selectSpeed(QStringLiteral("9600"));
    const QString file = path(QStringLiteral("default.bvx"));
    SaveSettingsFile(m, file);
    const QByteArray bytes = readAll(file);
    QCOMPARE(bytes, DefaultFile);
    QCOMPARE(bytes.count("\r\n"), 21);
}

void SettingsFileTest::loadAfterSave()
{
    const QString file = write(QStringLiteral("default.bvx"), DefaultFile);
    ParameterModel m;
    m.setText(Param::DPS, QStringLiteral("old dps"));
    m.setText(Param::TEXT, QStringLiteral("old text"));
    m.setIndex(Param::MS, 0);
    LoadSettingsFile(m, file);
    QVERIFY(m.text(Param::DPS).isEmpty());
    QVERIFY(m.text(Param::TEXT).isEmpty());
    QCOMPARE(m.values().speedText(), QStringLiteral("9600"));
    ParameterSet expected = ParameterSet::defaults();
    expected.setIndex(Param::SPEED, 2);
    QCOMPARE(m.values(), expected);
}

void SettingsFileTest::fullRoundTrip()
{
    ParameterModel m;
    m.setText(Param::PI, QStringLiteral("54a7"));
    m.setText(Param::DPS, QStringLiteral("  dynamic = ps  "));
    m.setText(Param::TEXT, QString::fromUtf8("Caf\u00e9 = radio"));
    m.setText(Param::PS, QStringLiteral("TEN CHARS!"));
    m.setIndex(Param::PTY, 31);
    m.setIndex(Param::TA, 1);
    m.setIndex(Param::AF1, 204);
    m.setIndex(Param::AF9, -1);
    m.setIndex(Param::SPEED, 6);
    const QString file = path(QStringLiteral("round.bvx"));
    SaveSettingsFile(m, file);
    QVERIFY(readAll(file).contains("AF9=-1\r\n"));

    ParameterModel back;
    LoadSettingsFile(back, file);
    QCOMPARE(back.values(), m.values());
    QCOMPARE(back.callLetters(), QStringLiteral("KZZZ"));
}

void SettingsFileTest::load_data()
{
    // Each file is loaded into a model at its start-up defaults; the
    // parameter's file value is then checked.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Param>("param");
    QTest::addColumn<QString>("value");
    const QByteArray pi = "PI=1234\r\n";
    QTest::newRow("key in lower case") << pi + "pty=5\r\n" << Param::PTY << "5";
    QTest::newRow("key in mixed case") << QByteArray("Pi=4020\r\npTy=6\r\n") << Param::PTY << "6";
    QTest::newRow("blank before digit") << pi + "PARSE= 5\r\n" << Param::PARSE << "5";
    QTest::newRow("blank after digit") << pi + "PARSE=5 \r\n" << Param::PARSE << "0";
    QTest::newRow("blank before key") << pi + " PTY=5\r\n" << Param::PTY << "0";
    QTest::newRow("blank after key") << pi + "PTY =5\r\n" << Param::PTY << "0";
    QTest::newRow("hex dollar") << pi + "AF1=$CC\r\n" << Param::AF1 << "204";
    QTest::newRow("hex 0x") << pi + "AF2=0x10\r\n" << Param::AF2 << "16";
    QTest::newRow("index out of range") << pi + "PTY=40\r\n" << Param::PTY << "-1";
    QTest::newRow("minus one") << pi + "DI=-1\r\n" << Param::DI << "-1";
    QTest::newRow("not an integer") << pi + "TP=ON\r\n" << Param::TP << "0";
    QTest::newRow("empty value") << pi + "ECHO=\r\n" << Param::ECHO << "1";
    QTest::newRow("missing MS is SPEECH") << pi << Param::MS << "0";
    QTest::newRow("missing ECHO is ON") << pi << Param::ECHO << "1";
    QTest::newRow("missing SPEED is 9600") << pi << Param::SPEED << "2";
    QTest::newRow("garbage SPEED is 9600") << pi + "SPEED=fast\r\n" << Param::SPEED << "2";
    QTest::newRow("SPEED is an index") << pi + "SPEED=9600\r\n" << Param::SPEED << "-1";
    QTest::newRow("missing PS empties it") << pi << Param::PS << "";
    QTest::newRow("two PS lines") << pi + "PS=FIRST\r\nPS=SECOND\r\n" << Param::PS << "FIRST";
    QTest::newRow("text blanks kept") << pi + "PS= A B \r\n" << Param::PS << " A B ";
    QTest::newRow("text after first =") << pi + "TEXT=a=b=c\r\n" << Param::TEXT << "a=b=c";
    QTest::newRow("PS longer than typing") << pi + "PS=0123456789\r\n" << Param::PS << "0123456789";
    QTest::newRow("line without =") << pi + "PS\r\nPS=X\r\n" << Param::PS << "X";
    QTest::newRow("other keys ignored") << pi + "PSX=1\r\nPS=Y\r\n" << Param::PS << "Y";
    QTest::newRow("latin-1 text") << pi + "PS=Caf\xe9\r\n" << Param::PS << QString::fromUtf8("Caf\u00e9");
    QTest::newRow("PI text kept as written") << QByteArray("PI=00ab\r\n") << Param::PI << "00ab";
    QTest::newRow("PI with five digits") << QByteArray("PI=1AFA1\r\n") << Param::PI << "1AFA1";
    QTest::newRow("LF only") << QByteArray("PI=1234\nPTY=3\nPS=LF\n") << Param::PS << "LF";
    QTest::newRow("CR only") << QByteArray("PI=1234\rPTY=3\rPS=CR\r") << Param::PS << "CR";
    QTest::newRow("mixed endings") << QByteArray("PI=1234\rPTY=3\nMS=0\r\nPS=MIX") << Param::PS << "MIX";
    QTest::newRow("LF CR is two breaks") << QByteArray("PI=1234\n\rTA=1\n\r") << Param::TA << "1";
    QTest::newRow("no final break") << QByteArray("PI=1234\r\nDI=1") << Param::DI << "1";
    QTest::newRow("NUL ends the text") << pi + QByteArrayLiteral("PTY=5\r\n\0MS=1\r\n") << Param::MS << "0";
    QTest::newRow("NUL inside a value") << pi + QByteArray("PS=AB\0CD\r\n", 10) << Param::PS << "AB";
    QTest::newRow("NUL before a line") << pi + QByteArray("TA=1\r\n\0TA=0\r\n", 13) << Param::TA << "1";
}

void SettingsFileTest::load()
{
    QFETCH(QByteArray, content);
    QFETCH(Param, param);
    QFETCH(QString, value);
    ParameterModel m;
    LoadSettingsFile(m, write(QStringLiteral("case.bvx"), content));
    QCOMPARE(m.values().fileValue(param), value);
}

void SettingsFileTest::ptyThirtyOneInBothModes()
{
    const QString file = write(QStringLiteral("pty.bvx"), "PI=1234\r\nPTY=31\r\n");
    for (const bool rbds : {false, true}) {
        ParameterModel m;
        m.setRbdsMode(rbds);
        LoadSettingsFile(m, file);
        QCOMPARE(m.index(Param::PTY), 31);
        QCOMPARE(entriesOf(Param::PTY, m.rbdsMode()).at(m.index(Param::PTY)),
                 rbds ? QStringLiteral("EMERGENCY") : QStringLiteral("ALARM"));
        // The file never records the mode.
        QCOMPARE(m.rbdsMode(), rbds);
    }
}

void SettingsFileTest::piStopsTheLoad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("piText");
    QTest::addColumn<QString>("message");
    const QByteArray rest = "PTY=5\r\nMS=0\r\nPS=NEW\r\nSPEED=6\r\n";
    QTest::newRow("no PI line") << rest << "" << "'$' is not a valid integer value";
    QTest::newRow("empty PI") << "PI=\r\n" + rest << "" << "'$' is not a valid integer value";
    QTest::newRow("not hex") << "PI=XYZ\r\n" + rest << "XYZ" << "'$XYZ' is not a valid integer value";
    QTest::newRow("blank in PI") << "PI= 12\r\n" + rest << " 12" << "'$ 12' is not a valid integer value";
    QTest::newRow("blank before key") << " PI=1234\r\n" + rest << "" << "'$' is not a valid integer value";
}

void SettingsFileTest::piStopsTheLoad()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, piText);
    QFETCH(QString, message);
    ParameterModel m;
    m.setText(Param::PI, QStringLiteral("4020"));
    m.convertPiToCall();
    ParameterSet before = m.values();
    QCOMPARE(messageOf([&] { LoadSettingsFile(m, write(QStringLiteral("pi.bvx"), content)); }), message);
    // PI shows the file's text; the call letters and every later field stay.
    QCOMPARE(m.text(Param::PI), piText);
    QCOMPARE(m.callLetters(), QStringLiteral("KSFW"));
    before.setText(Param::PI, piText);
    QCOMPARE(m.values(), before);
}

void SettingsFileTest::veryLongLine()
{
    const QByteArray longText(200000, 'x');
    const QByteArray content = "JUNK=" + QByteArray(300000, '=') + "\r\nPI=1234\r\nTEXT=" + longText + "\r\nPS=END\r\n";
    ParameterModel m;
    LoadSettingsFile(m, write(QStringLiteral("long.bvx"), content));
    QCOMPARE(m.text(Param::TEXT).size(), longText.size());
    QCOMPARE(m.text(Param::PS), QStringLiteral("END"));
}

void SettingsFileTest::binaryGarbageNeverCrashes()
{
    QRandomGenerator rng(20260101);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(int(rng.bounded(1, 4096)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        if (round % 2)   // give half of them a valid PI so the load runs on
            bytes.prepend("PI=BEEF\n");
        ParameterModel m;
        try {
            LoadSettingsFile(m, write(QStringLiteral("garbage.bvx"), bytes));
        } catch (const BrevolanError &) {
            QVERIFY(round % 2 == 0);   // only the PI step can refuse such a file
        }
        // Whatever was read, the model still writes a file that reads back the same.
        if (round % 2) {
            const QString again = path(QStringLiteral("again.bvx"));
            SaveSettingsFile(m, again);
            ParameterModel back;
            LoadSettingsFile(back, again);
            QCOMPARE(back.values(), m.values());
        }
    }
}

void SettingsFileTest::sizeLimit_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exactly 1 MiB") << qsizetype(1024 * 1024) << true;
    QTest::newRow("1 MiB + 1") << qsizetype(1024 * 1024 + 1) << false;
}

void SettingsFileTest::sizeLimit()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, accepted);
    QByteArray content = "PI=1234\r\nPS=BIG\r\nTEXT=";
    content += QByteArray(size - content.size(), 'y');
    const QString file = write(QStringLiteral("big.bvx"), content);
    ParameterModel m;
    const QString message = messageOf([&] { LoadSettingsFile(m, file); });
    if (accepted) {
        QCOMPARE(message, QStringLiteral("<no error>"));
        QCOMPARE(m.text(Param::PS), QStringLiteral("BIG"));
    } else {
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(file)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("1 MiB")), qPrintable(message));
        QCOMPARE(m.values(), ParameterSet::defaults());
    }
}

void SettingsFileTest::openFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing.bvx" << "No such file or directory";
    QTest::newRow("missing folder") << "nofolder/x.bvx" << "No such file or directory";
    QTest::newRow("directory") << "adir" << "Is a directory";
    // Opening a FIFO for reading would block until a writer comes.
    QTest::newRow("fifo") << "afifo" << "It is not a regular file";
}

void SettingsFileTest::openFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("adir")));
    QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("afifo"))).constData(), 0600), 0);
    ParameterModel m;
    const QString full = path(name);
    QCOMPARE(messageOf([&] { LoadSettingsFile(m, full); }),
             QStringLiteral("Cannot open file \"%1\". %2").arg(full, reason));
    QCOMPARE(m.values(), ParameterSet::defaults());
}

void SettingsFileTest::unreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("root reads any file");
    const QString file = write(QStringLiteral("locked.bvx"), DefaultFile);
    QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    ParameterModel m;
    QCOMPARE(messageOf([&] { LoadSettingsFile(m, file); }),
             QStringLiteral("Cannot open file \"%1\". Permission denied").arg(file));
}

void SettingsFileTest::uncreatablePath()
{
    ParameterModel m;
    const QString file = path(QStringLiteral("nofolder/new.bvx"));
    const QString message = messageOf([&] { SaveSettingsFile(m, file); });
    QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(file)), qPrintable(message));
    // The reason is the system's, not empty.
    QVERIFY2(message.size() > QStringLiteral("Cannot create file \"%1\". ").arg(file).size() + 3, qPrintable(message));
    QVERIFY(!QFile::exists(file));
}

void SettingsFileTest::failedWriteKeepsOldFile()
{
    // A file-size limit makes the write itself fail, for root too.
    const QByteArray old = "PI=0001\r\nPS=OLD\r\n";
    const QString file = write(QStringLiteral("keep.bvx"), old);
    ParameterModel m;
    m.setText(Param::TEXT, QString(200, QLatin1Char('t')));

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const QString message = messageOf([&] { SaveSettingsFile(m, file); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(message, QStringLiteral("Stream write error"));
    QCOMPARE(readAll(file), old);
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.bvx")});
}

void SettingsFileTest::targetIsDirectory()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("taken.bvx/inside")));
    const QString target = path(QStringLiteral("taken.bvx"));
    ParameterModel m;
    const QString message = messageOf([&] { SaveSettingsFile(m, target); });
    QVERIFY2(message == QStringLiteral("Stream write error")
                 || message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(target)),
             qPrintable(message));
    QVERIFY(QFileInfo(target).isDir());
    QVERIFY(QFileInfo(target + QStringLiteral("/inside")).isDir());
}

void SettingsFileTest::latin1Round()
{
    ParameterModel m;
    m.setText(Param::PS, QString::fromUtf8("\u00c5R\u00d8\u00dfy\u00ff"));
    const QString file = path(QStringLiteral("latin1.bvx"));
    SaveSettingsFile(m, file);
    QVERIFY(readAll(file).contains("PS=\xc5R\xd8\xdfy\xff\r\n"));
    ParameterModel back;
    LoadSettingsFile(back, file);
    QCOMPARE(back.text(Param::PS), m.text(Param::PS));
}

void SettingsFileTest::unstorableCharacterRefused_data()
{
    QTest::addColumn<Param>("param");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("described");
    QTest::newRow("euro in PS") << Param::PS << QString::fromUtf8("5 \u20ac") << QString::fromUtf8("The PS text holds the character \"\u20ac\" (U+20AC)");
    QTest::newRow("emoji in TEXT") << Param::TEXT << QString::fromUtf8("hi \U0001F4FB") << QString::fromUtf8("The TEXT text holds the character \"\U0001F4FB\" (U+1F4FB)");
    QTest::newRow("line feed in DPS") << Param::DPS << "a\nb" << "The DPS text holds the character U+000A,";
    QTest::newRow("CR in TEXT") << Param::TEXT << "a\rPI=0000" << "The TEXT text holds the character U+000D,";
    QTest::newRow("NUL in PS") << Param::PS << QString(QChar(0)) << "The PS text holds the character U+0000,";
}

void SettingsFileTest::unstorableCharacterRefused()
{
    QFETCH(Param, param);
    QFETCH(QString, text);
    QFETCH(QString, described);
    const QString file = write(QStringLiteral("old.bvx"), DefaultFile);
    ParameterModel m;
    m.setText(param, text);
    const QString message = messageOf([&] { SaveSettingsFile(m, file); });
    QVERIFY2(message.startsWith(QStringLiteral("Cannot save file \"%1\". %2").arg(file, described)), qPrintable(message));
    QCOMPARE(readAll(file), DefaultFile);
    // Nothing is created where no file was.
    const QString fresh = path(QStringLiteral("fresh.bvx"));
    QVERIFY_THROWS_EXCEPTION(BrevolanError, SaveSettingsFile(m, fresh));
    QVERIFY(!QFile::exists(fresh));
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
