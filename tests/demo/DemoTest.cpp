// The demo: its preferences stay out of the user's store, it preselects the
// station encoder once, and the real window finds, reads and sends to the
// simulated encoders.
#include "demo/DemoBus.h"
#include "demo/DemoSettings.h"

#include "app/TMainForm.h"
#include "devices/UsbEncoderList.h"
#include "link/DeviceId.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"
#include "model/PiCode.h"
#include "support/ScriptedPrompts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace brevolan;

namespace {

const QString StationDevId = QStringLiteral("2, BV4DEMO1");

QString userStoreFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarvenix/ostrel9.conf");
}

} // namespace

class DemoTest : public QObject {
    Q_OBJECT

private slots:
    void stateDirFollowsXdg_data();
    void stateDirFollowsXdg();
    void firstRunPreselectsStationThenKeepsChoice();
    void folderThatCannotBeMadeIsReported();
    void listsBothEncodersButNotForeignDevice();
    void windowReadsAndSendsTheStationEncoder();

private:
    QTemporaryDir m_scratch;
};

void DemoTest::stateDirFollowsXdg_data()
{
    QTest::addColumn<QByteArray>("xdgStateHome");
    QTest::addColumn<QString>("expected");
    const QString home = QDir::homePath();
    QTest::newRow("set") << QByteArray("/srv/state") << QStringLiteral("/srv/state/brevolan4-demo");
    QTest::newRow("trailing slash") << QByteArray("/srv/state/") << QStringLiteral("/srv/state/brevolan4-demo");
    QTest::newRow("unset") << QByteArray() << home + QStringLiteral("/.local/state/brevolan4-demo");
    // The XDG rules ignore a relative path.
    QTest::newRow("relative") << QByteArray("state") << home + QStringLiteral("/.local/state/brevolan4-demo");
}

void DemoTest::stateDirFollowsXdg()
{
    QFETCH(QByteArray, xdgStateHome);
    QFETCH(QString, expected);
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    if (xdgStateHome.isEmpty())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", xdgStateHome);
    const QString dir = demo::demoStateDir();
    qputenv("XDG_STATE_HOME", saved);
    QCOMPARE(dir, expected);
}

void DemoTest::firstRunPreselectsStationThenKeepsChoice()
{
    QVERIFY(m_scratch.isValid());
    const QString dir = m_scratch.filePath(QStringLiteral("first-run/brevolan4-demo"));
    QCOMPARE(demo::isolatePreferences(dir, StationDevId), QString());
    QVERIFY(QFile::exists(dir + QStringLiteral("/Tarvenix/ostrel9.conf")));
    Preferences preferences;
    QCOMPARE(preferences.readDevId(), StationDevId);

    // What the user picks in the demo survives the next start.
    preferences.writeDevId(QStringLiteral("2, BV4DEMO2"));
    preferences.writeRdsMode(0);
    QCOMPARE(demo::isolatePreferences(dir, StationDevId), QString());
    QCOMPARE(preferences.readDevId(), QStringLiteral("2, BV4DEMO2"));
    QCOMPARE(preferences.readRdsMode(), 0);

    // The real program's store was never touched.
    QVERIFY2(!QFile::exists(userStoreFile()), qPrintable(userStoreFile()));
}

void DemoTest::folderThatCannotBeMadeIsReported()
{
    // A file where a folder should be stops even root.
    QFile blocker(m_scratch.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString problem = demo::isolatePreferences(blocker.fileName() + QStringLiteral("/brevolan4-demo"), StationDevId);
    QVERIFY(problem.contains(QStringLiteral("cannot create the demo folder")));
}

void DemoTest::listsBothEncodersButNotForeignDevice()
{
    demo::DemoBus bus;
    QStringList serials;
    for (const UsbEncoderRow &row : listUsbEncoders())
        serials << row.serialNumber;
    QCOMPARE(serials, (QStringList{QStringLiteral("BV4DEMO1"), QStringLiteral("BV4DEMO2")}));
}

void DemoTest::windowReadsAndSendsTheStationEncoder()
{
    QVERIFY(m_scratch.isValid());
    QCOMPARE(demo::isolatePreferences(m_scratch.filePath(QStringLiteral("window")), StationDevId), QString());
    demo::DemoBus bus;
    test::ScriptedPrompts prompts;
    Preferences preferences;
    TMainForm form(&prompts, &preferences);

    // The preselected encoder is attached: the panel names it at start.
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("DevName"))->text(), QStringLiteral("USB BV4DEMO1"));

    form.findChild<QPushButton *>(QStringLiteral("ReadRDSBtn"))->click();
    QCOMPARE(prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("PS"))->text(), QStringLiteral("KBVL FM"));
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("PI1"))->text(),
             piToFieldText(CallToPI(QStringLiteral("KBVL"))));
    QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("AF1"))->currentIndex(), 110);

    form.model().setText(Param::PS, QStringLiteral("DEMO 2"));
    form.findChild<QPushButton *>(QStringLiteral("SendToRDSBtn"))->click();
    QCOMPARE(prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(bus.station()->storedValue("PS"), QByteArray("DEMO 2"));
    QCOMPARE(bus.spare()->saveCount(), 0);
}

QTEST_MAIN(DemoTest)
#include "DemoTest.moc"
