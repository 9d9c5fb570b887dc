// DevID and RDSMode in the per-user store. ctest gives this test its own
// XDG_CONFIG_HOME, so the store is $XDG_CONFIG_HOME/Tarvenix/ostrel9.conf.

#include "common/BrevolanError.h"
#include "link/Preferences.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

using namespace brevolan;

class PreferencesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void defaultsWithoutStore();
    void devIdRoundTrip_data();
    void devIdRoundTrip();
    void rdsModeText_data();
    void rdsModeText();
    void rdsModeWrittenAsString();
    void handEditedUnquotedDevId();
    void emptyDevIdReadsAsDefault();
    void unwritableStoreRaises();

private:
    QString configHome() const { return m_configHome; }
    QString folder() const { return m_configHome + QStringLiteral("/Tarvenix"); }
    QString storeFile() const { return folder() + QStringLiteral("/ostrel9.conf"); }
    QString m_configHome;
};

void PreferencesTest::initTestCase()
{
    m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Never run against a real user's settings.
    QVERIFY2(m_configHome.contains(QStringLiteral("home-t_preferences")),
             "run through ctest, which gives the test a private XDG_CONFIG_HOME");
}

void PreferencesTest::init()
{
    QFile::remove(folder());   // a file left in the folder's place
    QDir(folder()).removeRecursively();
    QDir().mkpath(m_configHome);
}

void PreferencesTest::cleanup() { init(); }

void PreferencesTest::defaultsWithoutStore()
{
    Preferences prefs;
    QCOMPARE(prefs.readDevId(), QStringLiteral("1, COM1, 9600"));
    QCOMPARE(prefs.readRdsMode(), 1);
    // Reading creates nothing.
    QVERIFY(!QFile::exists(storeFile()));
}

void PreferencesTest::devIdRoundTrip_data()
{
    QTest::addColumn<QString>("devId");
    QTest::newRow("serial") << "1, COM3, 19200";
    QTest::newRow("usb") << "2, FT12ab34";
    QTest::newRow("pty path") << "1, /dev/pts/3, 9600";
}

void PreferencesTest::devIdRoundTrip()
{
    QFETCH(QString, devId);
    Preferences prefs;
    prefs.writeDevId(devId);
    QCOMPARE(prefs.readDevId(), devId);
    QVERIFY(QFile::exists(storeFile()));
}

void PreferencesTest::rdsModeText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("rbds");
    QTest::newRow("0 is RDS") << "0" << false;
    QTest::newRow("1 is RBDS") << "1" << true;
    QTest::newRow("5 is RBDS") << "5" << true;
    QTest::newRow("abc is RBDS") << "abc" << true;
    QTest::newRow("empty is RBDS") << "" << true;
}

void PreferencesTest::rdsModeText()
{
    QFETCH(QString, stored);
    QFETCH(bool, rbds);
    {
        QSettings store(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9"));
        store.setValue(QStringLiteral("RDSMode"), stored);
    }
    QCOMPARE(Preferences().readRdsMode() != 0, rbds);
}

void PreferencesTest::rdsModeWrittenAsString()
{
    Preferences prefs;
    prefs.writeRdsMode(0);
    QCOMPARE(prefs.readRdsMode(), 0);
    prefs.writeRdsMode(1);
    QCOMPARE(prefs.readRdsMode(), 1);
    QFile f(storeFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("RDSMode=1"));
}

void PreferencesTest::handEditedUnquotedDevId()
{
    // Written by hand as an operator would: without QSettings' quotes.
    QVERIFY(QDir().mkpath(folder()));
    QFile f(storeFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[General]\nDevID=1, COM1, 9600\nRDSMode=0\n");
    f.close();
    Preferences prefs;
    QCOMPARE(prefs.readDevId(), QStringLiteral("1, COM1, 9600"));
    QCOMPARE(prefs.readRdsMode(), 0);
}

void PreferencesTest::emptyDevIdReadsAsDefault()
{
    // An empty identifier has no kind to decide the transport by.
    Preferences prefs;
    prefs.writeDevId(QString());
    QCOMPARE(prefs.readDevId(), QStringLiteral("1, COM1, 9600"));
    prefs.writeDevId(QStringLiteral("   "));
    QCOMPARE(prefs.readDevId(), QStringLiteral("1, COM1, 9600"));
}

void PreferencesTest::unwritableStoreRaises()
{
    // CI runs as root, where permissions stop nothing: a file where the
    // folder must go makes the write fail.
    QFile blocker(folder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Preferences prefs;
    QVERIFY_THROWS_EXCEPTION(BrevolanError, prefs.writeDevId(QStringLiteral("1, COM2, 4800")));
    QVERIFY_THROWS_EXCEPTION(BrevolanError, prefs.writeRdsMode(0));
    try {
        prefs.writeDevId(QStringLiteral("1, COM2, 4800"));
    } catch (const BrevolanError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("DevID")), qPrintable(e.message()));
    }
    // Reading still gives the defaults.
    QCOMPARE(prefs.readDevId(), QStringLiteral("1, COM1, 9600"));
}

QTEST_GUILESS_MAIN(PreferencesTest)
#include "PreferencesTest.moc"
