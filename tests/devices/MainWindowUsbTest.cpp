// The main window's USB wiring: the start-up presence check, the switch-off
// of the USB library's error boxes, the window's notification registration
// and the "Device" command, with the simulated FTDI bus underneath.

#include "app/TMainForm.h"
#include "devices/BusUsbNotification.h"
#include "devices/TSettingsForm.h"
#include "link/D2XXUnit.h"
#include "link/Preferences.h"
#include "sim/SimulatedFtdiBus.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

using namespace brevolan;
using brevolan::sim::SimulatedFtdiBus;
using brevolan::test::ScriptedPrompts;

class MainWindowUsbTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedFtdiBus> bus;
    ScriptedPrompts prompts;
    Preferences preferences;
    int liveRegistrations = 0;

    void attach(const QByteArray &serial)
    {
        bus->attach(serial, "Brevolan 4 RDS/RBDS Encoder", std::make_shared<sim::EncoderEngine>());
    }
    std::unique_ptr<TMainForm> startWith(const QString &devId)
    {
        preferences.writeDevId(devId);
        return std::make_unique<TMainForm>(&prompts, &preferences);
    }
    static QString devName(TMainForm &form)
    {
        return form.findChild<QLabel *>(QStringLiteral("DevName"))->text();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).clear();
        bus = std::make_unique<SimulatedFtdiBus>();
        setFtdiDriver(bus.get());
        FtErrorReport = true;   // as at program start
        prompts = ScriptedPrompts();
        liveRegistrations = 0;
        SimulatedFtdiBus *b = bus.get();
        setUsbNotificationFactory([this, b] {
            UsbNotificationHandle h = notificationFromBus(b);
            ++liveRegistrations;
            connect(h.get(), &QObject::destroyed, this, [this] { --liveRegistrations; });
            return h;
        });
    }
    void cleanup()
    {
        setUsbNotificationFactory({});
        setFtPrompts(nullptr);
        setFtdiDriver(nullptr);
        bus.reset();
    }

    void startUpWithEncoderAttached()
    {
        attach("FT5XQ2AB");
        auto form = startWith(QStringLiteral("2, FT5XQ2AB"));
        QCOMPARE(devName(*form), QStringLiteral("USB FT5XQ2AB"));
        QVERIFY(!form->linkState().deviceMissing);
        QVERIFY(!FtErrorReport);
        QCOMPARE(liveRegistrations, 1);
        form.reset();
        QCOMPARE(liveRegistrations, 0);   // cancelled with the window
    }

    void startUpWithEncoderAbsent()
    {
        auto form = startWith(QStringLiteral("2, FT5XQ2AB"));
        QCOMPARE(devName(*form), QStringLiteral("< none >"));
        QVERIFY(form->linkState().deviceMissing);
        QVERIFY(prompts.shown.isEmpty());
    }

    // Before the switch-off the library's failures are shown; after it none.
    void listingFailureAtStartUpIsShown()
    {
        attach("FT5XQ2AB");
        bus->failNext(SimulatedFtdiBus::Call::DeviceCount, ftstatus::IoError);
        auto form = startWith(QStringLiteral("2, FT5XQ2AB"));
        QCOMPARE(prompts.texts(QStringLiteral("error")),
                 QStringList{"GetFTDeviceCount - General IO error..."});
        QVERIFY(form->linkState().deviceMissing);

        bus->failNext(SimulatedFtdiBus::Call::DeviceCount, ftstatus::IoError);
        bus->detach("FT5XQ2AB");
        QCOMPARE(prompts.texts(QStringLiteral("error")).size(), 1);
    }

    void encoderUnpluggedAndPluggedIn()
    {
        attach("FT5XQ2AB");
        auto form = startWith(QStringLiteral("2, FT5XQ2AB"));
        form->linkState().usbBaudRate = 115200;
        bus->detach("FT5XQ2AB");
        QCOMPARE(devName(*form), QStringLiteral("< none >"));
        QCOMPARE(form->linkState().usbBaudRate, 9600);
        attach("FT5XQ2AB");
        QCOMPARE(devName(*form), QStringLiteral("USB FT5XQ2AB"));
        QVERIFY(!form->linkState().deviceMissing);
    }

    void comPortIgnoresUsb()
    {
        auto form = startWith(QStringLiteral("1, COM1, 9600"));
        attach("FT5XQ2AB");
        bus->detach("FT5XQ2AB");
        QCOMPARE(devName(*form), QStringLiteral("COM1, 9600"));
        QVERIFY(!form->linkState().deviceMissing);
    }

    // The menu command through the real modal loop: the dialog follows the
    // bus while open, OK takes the encoder, and the dialog is gone after.
    void deviceCommand()
    {
        auto form = startWith(QStringLiteral("1, COM1, 9600"));
        bool sawDialog = false;
        QTimer::singleShot(0, this, [&] {
            auto *d = qobject_cast<TSettingsForm *>(QApplication::activeModalWidget());
            if (!d)
                return;
            sawDialog = true;
            QCOMPARE(liveRegistrations, 2);   // the window's and the dialog's
            attach("FT5XQ2AB");
            d->USBRB->click();
            d->OKBtn->click();
        });
        QTimer guard;   // never hang on a dialog that did not close
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        guard.start(5000);
        form->findChild<QAction *>(QStringLiteral("miDevice"))->trigger();
        QVERIFY(sawDialog);
        QCOMPARE(form->linkState().devId, QStringLiteral("2, FT5XQ2AB"));
        QCOMPARE(preferences.readDevId(), QStringLiteral("2, FT5XQ2AB"));
        QCOMPARE(devName(*form), QStringLiteral("USB FT5XQ2AB"));
        QVERIFY(form->findChildren<TSettingsForm *>().isEmpty());
        QCOMPARE(liveRegistrations, 1);
        QVERIFY(prompts.shown.isEmpty());
    }
};

QTEST_MAIN(MainWindowUsbTest)
#include "MainWindowUsbTest.moc"
