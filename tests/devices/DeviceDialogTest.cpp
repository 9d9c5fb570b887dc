// The device selection dialog with the simulated FTDI bus underneath
// D2XXUnit, the bus's attach/detach signals as notifications, scripted
// boxes, injected serial ports and the real per-user store (a private HOME).
// Most tests drive the dialog instead of exec(); one runs the modal loop.

#include "common/BrevolanError.h"
#include "devices/BusUsbNotification.h"
#include "devices/TSettingsForm.h"
#include "link/D2XXUnit.h"
#include "link/DeviceId.h"
#include "link/LinkState.h"
#include "link/Preferences.h"
#include "sim/SimulatedFtdiBus.h"
#include "support/ScriptedPrompts.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest>

using namespace brevolan;
using brevolan::sim::SimulatedFtdiBus;
using brevolan::test::ScriptedPrompts;

namespace {
const QByteArray Encoder = "Brevolan 4 RDS/RBDS Encoder";
const QStringList Speeds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};

class FailingPreferences : public Preferences {
public:
    void writeDevId(const QString &) override { throw BrevolanError(QStringLiteral("Cannot write")); }
};

QStringList rowTexts(const QTreeWidget *lv)
{
    QStringList rows;
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *it = lv->topLevelItem(i);
        rows << it->text(0) + QLatin1Char('|') + it->text(1) + QLatin1Char('|') + it->text(2);
    }
    return rows;
}

QString selectedSerial(const TSettingsForm &d) { return d.selectedSerial(); }

QString storedDevId()
{
    QSettings store(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9"));
    return store.value(QStringLiteral("DevID")).toString();
}
} // namespace

class DeviceDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedFtdiBus> bus;
    ScriptedPrompts prompts;
    LinkState state;
    Preferences preferences;
    QString panel;
    QStringList ports;
    int liveRegistrations = 0;

    void attach(const QByteArray &serial, const QByteArray &description = Encoder)
    {
        bus->attach(serial, description, std::make_shared<sim::EncoderEngine>());
    }

    // The "Device" command as the main window runs it; run drives the dialog.
    bool runDialog(const DeviceDialogRunner &run, Preferences *prefs = nullptr)
    {
        DeviceDialogOptions options;
        options.run = run;
        const QStringList p = ports;
        options.ports = [p] { return std::optional<QStringList>(p); };
        return runDeviceDialog(nullptr, state, prefs ? *prefs : preferences, prompts, Speeds,
                               [this] { panel = deviceDisplayName(state.devId); }, options);
    }

    // Starts from a stored, shown DevID.
    void select(const QString &devId)
    {
        state.devId = devId;
        preferences.writeDevId(devId);
        panel = deviceDisplayName(devId);
    }

    void expectUnchanged(const QString &devId)
    {
        QCOMPARE(state.devId, devId);
        QCOMPARE(storedDevId(), devId);
        QCOMPARE(panel, deviceDisplayName(devId));
    }

private slots:
    // Never the real user's store, even when run by hand outside ctest.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).clear();
        bus = std::make_unique<SimulatedFtdiBus>();
        setFtdiDriver(bus.get());
        setFtPrompts(&prompts);
        FtErrorReport = false;
        prompts = ScriptedPrompts();
        state = LinkState();
        panel = QStringLiteral("< none >");
        ports = QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
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
        QCOMPARE(liveRegistrations, 0);   // the dialog's registration ends with it
        setUsbNotificationFactory({});
        setFtPrompts(nullptr);
        setFtdiDriver(nullptr);
        bus.reset();
    }

    void layout()
    {
        select(DefaultDevId);
        runDialog([](TSettingsForm &d) {
            [&] {
                QCOMPARE(d.windowTitle(), QStringLiteral("Settings"));
                QCOMPARE(d.size(), QSize(547, 197));
                QCOMPARE(d.minimumSize(), d.maximumSize());
                QCOMPARE(d.COMRB->text(), QStringLiteral("COMM Port devices"));
                QCOMPARE(d.USBRB->text(), QStringLiteral("USB Devices"));
                QCOMPARE(d.LV->geometry(), QRect(23, 65, 523, 96));
                QCOMPARE(d.OKBtn->geometry(), QRect(389, 171, 75, 25));
                QCOMPARE(d.Button2->geometry(), QRect(470, 171, 75, 25));
                QVERIFY(d.OKBtn->isDefault());
                QCOMPARE(d.LV->headerItem()->text(0), QStringLiteral("Device Number"));
                QCOMPARE(d.LV->headerItem()->text(1), QStringLiteral("Serial Number"));
                QCOMPARE(d.LV->headerItem()->text(2), QStringLiteral("Device Description"));
                QCOMPARE(d.LV->columnWidth(0), 100);
                QCOMPARE(d.LV->columnWidth(2), 300);
                QVERIFY(!d.LV->header()->sectionsClickable());
                QCOMPARE(d.LV->selectionMode(), QAbstractItemView::SingleSelection);
                QCOMPARE(d.LV->selectionBehavior(), QAbstractItemView::SelectRows);
                QCOMPARE(d.LV->editTriggers(), QAbstractItemView::NoEditTriggers);
                // The main window's speeds, in its order.
                QStringList speeds;
                for (int i = 0; i < d.Speed->count(); ++i)
                    speeds << d.Speed->itemText(i);
                QCOMPARE(speeds, Speeds);
                QStringList portNames;
                for (int i = 0; i < d.Port->count(); ++i)
                    portNames << d.Port->itemText(i);
                QCOMPARE(portNames, (QStringList{"COM1", "COM2", "ttyUSB0"}));
            }();
            return int(QDialog::Rejected);
        });
    }

    void noPorts()
    {
        ports.clear();
        select(DefaultDevId);
        const bool ok = runDialog([this](TSettingsForm &d) {
            d.show();
            [&] {
                QCOMPARE(d.Port->count(), 0);
                QVERIFY(d.Port->isEnabled());
                QVERIFY(prompts.shown.isEmpty());
                d.OKBtn->click();
                QCOMPARE(prompts.texts("plain"), QStringList{"No COM port selected"});
                QVERIFY(d.isVisible());
            }();
            return d.result();
        });
        QVERIFY(!ok);
        expectUnchanged(DefaultDevId);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("devId");
        QTest::addColumn<QString>("message");
        QTest::newRow("port not listed") << "1, COM9, 9600" << "No COM port selected";
        QTest::newRow("no port piece") << "1" << "No COM port selected";
        QTest::newRow("speed not listed") << "1, COM1, 12345" << "No COM speed selected";
        QTest::newRow("no speed piece") << "1, COM1" << "No COM speed selected";
        QTest::newRow("no FTDI device") << "2, FT000001" << "No device selected";
    }
    void refusals()
    {
        QFETCH(QString, devId);
        QFETCH(QString, message);
        select(devId);
        const bool ok = runDialog([&](TSettingsForm &d) {
            d.show();
            d.OKBtn->click();
            [&] {
                QCOMPARE(prompts.texts("plain"), QStringList{message});
                QVERIFY(d.isVisible());
            }();
            d.Button2->click();
            return d.result();
        });
        QVERIFY(!ok);
        expectUnchanged(devId);
    }

    void thirdFtdiDeviceIsTheEncoder()
    {
        attach("FTA", "FT232R USB UART");
        attach("FTB", "USB <-> Serial Cable");
        attach("FTC");
        select(QStringLiteral("2, FTC"));
        const bool ok = runDialog([](TSettingsForm &d) {
            [&] {
                QCOMPARE(rowTexts(d.LV), QStringList{"Device 3|FTC|Brevolan 4 RDS/RBDS Encoder"});
                QCOMPARE(selectedSerial(d), QStringLiteral("FTC"));
            }();
            d.OKBtn->click();
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("2, FTC"));
    }

    void description_data()
    {
        QTest::addColumn<QByteArray>("description");
        QTest::addColumn<bool>("listed");
        QTest::newRow("as made") << Encoder << true;
        QTest::newRow("upper case") << QByteArray("BREVOLAN 4 RDS/RBDS ENCODER") << true;
        QTest::newRow("lower case") << QByteArray("brevolan 4 rds/rbds encoder") << true;
        QTest::newRow("trailing blank") << QByteArray("Brevolan 4 RDS/RBDS Encoder ") << false;
        QTest::newRow("another product") << QByteArray("Brevolan 3 RDS Encoder") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void description()
    {
        QFETCH(QByteArray, description);
        QFETCH(bool, listed);
        attach("FT000001", description);
        select(QStringLiteral("2, FT000001"));
        runDialog([&](TSettingsForm &d) {
            [&] {
                QCOMPARE(d.LV->topLevelItemCount(), listed ? 1 : 0);
                if (listed) // shown as the chip reports it
                    QCOMPARE(d.LV->topLevelItem(0)->text(2), QString::fromLatin1(description));
            }();
            return int(QDialog::Rejected);
        });
    }

    // A device whose strings cannot be read is left out, rather than shown
    // with the previous device's serial number.
    void unreadableDeviceIsLeftOut()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("2, FT000002"));
        runDialog([this](TSettingsForm &d) {
            bus->failNext(SimulatedFtdiBus::Call::SerialNumber, ftstatus::IoError);
            d.RefreshUsbList();
            [&] {
                QCOMPARE(rowTexts(d.LV), QStringList{"Device 2|FT000002|Brevolan 4 RDS/RBDS Encoder"});
                QVERIFY(prompts.shown.isEmpty());   // the switch is off after start-up
            }();
            return int(QDialog::Rejected);
        });
    }

    void usbDevIdAttached()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("2, FT000002"));
        runDialog([](TSettingsForm &d) {
            [&] {
                QVERIFY(d.USBRB->isChecked());
                QVERIFY(d.LV->isEnabled());
                QVERIFY(!d.Port->isEnabled());
                QVERIFY(!d.Speed->isEnabled());
                QCOMPARE(d.Port->currentIndex(), -1);
                QCOMPARE(d.Speed->currentIndex(), -1);
                QCOMPARE(selectedSerial(d), QStringLiteral("FT000002"));
            }();
            return int(QDialog::Rejected);
        });
    }

    void usbDevIdAbsent()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("2, FT000009"));
        const bool ok = runDialog([](TSettingsForm &d) {
            [&] { QCOMPARE(selectedSerial(d), QStringLiteral("FT000001")); }();
            d.OKBtn->click();
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("2, FT000001"));
    }

    // The row of the stored serial number is found only in its own letter case.
    void preselectionIsCaseSensitive()
    {
        attach("FT000001");
        attach("FTAB");
        select(QStringLiteral("2, ftab"));
        runDialog([](TSettingsForm &d) {
            [&] { QCOMPARE(selectedSerial(d), QStringLiteral("FT000001")); }();
            return int(QDialog::Rejected);
        });
    }

    void preselectedDeviceUnpluggedWhileOpen()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("2, FT000002"));
        const bool ok = runDialog([this](TSettingsForm &d) {
            d.show();
            bus->detach("FT000002");
            [&] {
                QCOMPARE(rowTexts(d.LV), QStringList{"Device 1|FT000001|Brevolan 4 RDS/RBDS Encoder"});
                QVERIFY(d.LV->selectedItems().isEmpty());
            }();
            d.OKBtn->click();
            [&] { QCOMPARE(prompts.texts("plain"), QStringList{"No device selected"}); }();

            // Another device comes: the list is rebuilt, still without a selection.
            attach("FTOTHER", "FT232R USB UART");
            [&] {
                QCOMPARE(d.LV->topLevelItemCount(), 1);
                QVERIFY(d.LV->selectedItems().isEmpty());
            }();
            // The encoder comes back, now third on the bus: selected again.
            attach("FT000002");
            [&] {
                QCOMPARE(rowTexts(d.LV).last(), QStringLiteral("Device 3|FT000002|Brevolan 4 RDS/RBDS Encoder"));
                QCOMPARE(selectedSerial(d), QStringLiteral("FT000002"));
            }();
            d.OKBtn->click();
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("2, FT000002"));
    }

    // A choice made by hand is not carried over a rebuild.
    void rebuildSelectsAgain()
    {
        attach("FT000001");
        attach("FT000002");
        select(DefaultDevId);
        runDialog([this](TSettingsForm &d) {
            d.USBRB->click();
            d.LV->setCurrentItem(d.LV->topLevelItem(1));
            attach("FT000003");
            [&] { QCOMPARE(selectedSerial(d), QStringLiteral("FT000001")); }();
            return int(QDialog::Rejected);
        });
    }

    void serialDevIdPreselectsFirstUsbRow()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("1, COM2, 19200"));
        const bool ok = runDialog([](TSettingsForm &d) {
            [&] {
                QVERIFY(d.COMRB->isChecked());
                QCOMPARE(d.Port->currentText(), QStringLiteral("COM2"));
                QCOMPARE(d.Speed->currentText(), QStringLiteral("19200"));
                QVERIFY(!d.LV->isEnabled());
                QCOMPARE(selectedSerial(d), QStringLiteral("FT000001"));
            }();
            d.USBRB->click();
            [&] {
                QVERIFY(d.LV->isEnabled());
                QVERIFY(!d.Port->isEnabled());
            }();
            d.OKBtn->click();
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("2, FT000001"));
    }

    void portPreselection_data()
    {
        QTest::addColumn<QString>("devId");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("speed");
        QTest::newRow("as written") << "1, COM2, 9600" << "COM2" << "9600";
        QTest::newRow("without blanks") << "1,COM2,9600" << "COM2" << "9600";
        QTest::newRow("other letter case") << "1, com2, 9600" << "COM2" << "9600";
        QTest::newRow("bare device name") << "1, ttyUSB0, 115200" << "ttyUSB0" << "115200";
        QTest::newRow("device path of COM2") << "1, /dev/ttyS1, 4800" << "COM2" << "4800";
        QTest::newRow("unknown port") << "1, ttyUSB7, 4800" << "" << "4800";
        QTest::newRow("unknown speed") << "1, COM1, 300" << "COM1" << "";
    }
    void portPreselection()
    {
        QFETCH(QString, devId);
        QFETCH(QString, port);
        QFETCH(QString, speed);
        select(devId);
        runDialog([&](TSettingsForm &d) {
            [&] {
                QCOMPARE(d.Port->currentText(), port);
                QCOMPARE(d.Port->currentIndex() >= 0, !port.isEmpty());
                QCOMPARE(d.Speed->currentText(), speed);
                QCOMPARE(d.Speed->currentIndex() >= 0, !speed.isEmpty());
            }();
            return int(QDialog::Rejected);
        });
    }

    void okWithSerialPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("devId");
        QTest::newRow("COM1") << "COM1" << "9600" << "1, COM1, 9600";
        QTest::newRow("USB adapter") << "ttyUSB0" << "115200" << "1, ttyUSB0, 115200";
    }
    void okWithSerialPort()
    {
        QFETCH(QString, port);
        QFETCH(QString, speed);
        QFETCH(QString, devId);
        attach("FT000001");
        select(QStringLiteral("2, FT000001"));
        const bool ok = runDialog([&](TSettingsForm &d) {
            d.COMRB->click();
            d.Port->setCurrentText(port);
            d.Speed->setCurrentText(speed);
            d.OKBtn->click();
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(devId);
        QCOMPARE(panel, port + QStringLiteral(", ") + speed);
    }

    void cancel_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancel()
    {
        QFETCH(int, way);
        attach("FT000001");
        select(QStringLiteral("1, COM1, 9600"));
        const bool ok = runDialog([&](TSettingsForm &d) {
            d.show();
            d.USBRB->click();
            if (way == 0)
                d.Button2->click();
            else if (way == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
            [&] { QVERIFY(!d.isVisible()); }();
            return d.result();
        });
        QVERIFY(!ok);
        expectUnchanged(QStringLiteral("1, COM1, 9600"));
    }

    void doubleClickOnRowPressesOk()
    {
        attach("FT000001");
        attach("FT000002");
        select(QStringLiteral("2, FT000002"));
        const bool ok = runDialog([](TSettingsForm &d) {
            d.show();
            if (!QTest::qWaitForWindowExposed(&d))
                return int(QDialog::Rejected);
            const QRect row = d.LV->visualItemRect(d.LV->topLevelItem(0));
            QTest::mouseClick(d.LV->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(d.LV->viewport(), Qt::LeftButton, {}, row.center());
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("2, FT000001"));
    }

    void enterPressesOk()
    {
        select(QStringLiteral("1, COM2, 38400"));
        const bool ok = runDialog([](TSettingsForm &d) {
            d.show();
            QTest::keyClick(&d, Qt::Key_Return);
            return d.result();
        });
        QVERIFY(ok);
        expectUnchanged(QStringLiteral("1, COM2, 38400"));
    }

    // The store refuses: the new device is in use and shown all the same,
    // the error reaches the caller, and the dialog is gone.
    void storeFailure()
    {
        attach("FT000001");
        select(DefaultDevId);
        FailingPreferences failing;
        try {
            runDialog([](TSettingsForm &d) {
                d.USBRB->click();
                d.OKBtn->click();
                return d.result();
            }, &failing);
            QFAIL("no error raised");
        } catch (const BrevolanError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot write"));
        }
        QCOMPARE(state.devId, QStringLiteral("2, FT000001"));
        QCOMPARE(panel, QStringLiteral("USB FT000001"));
        QCOMPARE(storedDevId(), DefaultDevId);
    }

    void dialogIsDestroyedWithItsOwnerLeftClean()
    {
        QWidget owner;
        select(DefaultDevId);
        DeviceDialogOptions options;
        options.run = [&](TSettingsForm &d) {
            [&] {
                QCOMPARE(d.parent(), &owner);
                QCOMPARE(liveRegistrations, 1);
            }();
            return int(QDialog::Rejected);
        };
        runDeviceDialog(&owner, state, preferences, prompts, Speeds, {}, options);
        QVERIFY(owner.findChildren<TSettingsForm *>().isEmpty());
        QCOMPARE(liveRegistrations, 0);
    }

    // The port enumeration failing shows the error; the encoders are listed
    // all the same.
    void enumerationFailure()
    {
        attach("FT000001");
        select(DefaultDevId);
        DeviceDialogOptions options;
        options.ports = [] { return std::optional<QStringList>(); };
        options.run = [&](TSettingsForm &d) {
            [&] {
                QCOMPARE(prompts.texts("error"), QStringList{"EnumPorts failed."});
                QCOMPARE(d.Port->count(), 0);
                QCOMPARE(d.LV->topLevelItemCount(), 1);
            }();
            return int(QDialog::Rejected);
        };
        runDeviceDialog(nullptr, state, preferences, prompts, Speeds, {}, options);
    }

    // The real modal loop: notifications reach the dialog while it is shown.
    void modalLoop()
    {
        select(QStringLiteral("2, FT000001"));
        bool sawDialog = false;
        QTimer::singleShot(0, this, [&] {
            auto *d = qobject_cast<TSettingsForm *>(QApplication::activeModalWidget());
            if (!d)
                return;
            sawDialog = true;
            QTimer::singleShot(0, this, [this] { attach("FT000001"); });
            QTimer::singleShot(20, d, [d] { d->OKBtn->click(); });
        });
        QTimer guard;   // never hang on a dialog that did not close
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        guard.start(5000);
        const bool ok = runDialog({});
        QVERIFY(sawDialog);
        QVERIFY(ok);
        QVERIFY(prompts.texts("plain").isEmpty());
        expectUnchanged(QStringLiteral("2, FT000001"));
    }
};

QTEST_MAIN(DeviceDialogTest)
#include "DeviceDialogTest.moc"
