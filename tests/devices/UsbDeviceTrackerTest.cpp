// The main window's following of the selected USB encoder, with the
// simulated FTDI bus underneath D2XXUnit and its attach/detach signals as
// the notification source.

#include "devices/BusUsbNotification.h"
#include "devices/DeviceChange.h"
#include "devices/UsbDevicePresent.h"
#include "devices/UsbDeviceTracker.h"
#include "link/D2XXUnit.h"
#include "sim/SimulatedFtdiBus.h"

#include <QtTest>

using namespace brevolan;
using brevolan::sim::SimulatedFtdiBus;

namespace {
const QByteArray Encoder = "Brevolan 4 RDS/RBDS Encoder";
}

class UsbDeviceTrackerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedFtdiBus> bus;
    LinkState state;
    QStringList captions;    // every caption the status panel was given

    std::unique_ptr<UsbDeviceTracker> tracker()
    {
        return std::make_unique<UsbDeviceTracker>(state, [this](const QString &c) { captions << c; });
    }
    void attach(const QByteArray &serial, const QByteArray &description = Encoder)
    {
        bus->attach(serial, description, std::make_shared<sim::EncoderEngine>());
    }

private slots:
    void init()
    {
        bus = std::make_unique<SimulatedFtdiBus>();
        setFtdiDriver(bus.get());
        setFtPrompts(nullptr);
        FtErrorReport = false;
        state = LinkState();
        captions.clear();
        SimulatedFtdiBus *b = bus.get();
        setUsbNotificationFactory([b] { return notificationFromBus(b); });
    }
    void cleanup()
    {
        setUsbNotificationFactory({});
        setFtdiDriver(nullptr);
        bus.reset();
    }

    void presence_data()
    {
        QTest::addColumn<QList<QByteArray>>("attached");
        QTest::addColumn<QString>("devId");
        QTest::addColumn<bool>("present");
        QTest::newRow("no FTDI device") << QList<QByteArray>{} << "2, FT000001" << false;
        QTest::newRow("the only device") << QList<QByteArray>{"FT000001"} << "2, FT000001" << true;
        QTest::newRow("the third device") << QList<QByteArray>{"A1", "A2", "FT000001"} << "2, FT000001" << true;
        QTest::newRow("stored in lower case") << QList<QByteArray>{"FTAB12"} << "2, ftab12" << true;
        QTest::newRow("listed in lower case") << QList<QByteArray>{"ftab12"} << "2, FTAB12" << true;
        QTest::newRow("no blank after the comma") << QList<QByteArray>{"FTAB12"} << "2,FTAB12" << true;
        QTest::newRow("trailing blanks") << QList<QByteArray>{"FTAB12"} << "2, FTAB12 \t" << true;
        QTest::newRow("another device") << QList<QByteArray>{"FTAB13"} << "2, FTAB12" << false;
        QTest::newRow("a prefix only") << QList<QByteArray>{"FTAB123"} << "2, FTAB12" << false;
    }
    void presence()
    {
        QFETCH(QList<QByteArray>, attached);
        QFETCH(QString, devId);
        QFETCH(bool, present);
        for (const QByteArray &s : attached)
            attach(s);
        QCOMPARE(UsbDevicePresent(devId), present);
    }

    // A failed listing call leaves D2XXUnit's listed text and count at the
    // previous call's values; they must not make a missing device present.
    void presenceIgnoresStaleListing()
    {
        attach("FT000001");
        attach("FT000002");
        QVERIFY(UsbDevicePresent(QStringLiteral("2, FT000002")));   // FtListedText is "FT000002"
        bus->detach("FT000002");
        bus->detach("FT000001");
        attach("FT000003");
        bus->failNext(SimulatedFtdiBus::Call::SerialNumber, ftstatus::IoError);
        QVERIFY(!UsbDevicePresent(QStringLiteral("2, FT000002")));

        bus->failNext(SimulatedFtdiBus::Call::DeviceCount, ftstatus::IoError);
        QVERIFY(!UsbDevicePresent(QStringLiteral("2, FT000003")));
        QVERIFY(UsbDevicePresent(QStringLiteral("2, FT000003")));
    }

    void startUpWithEncoderAttached()
    {
        attach("FT000001");
        state.devId = QStringLiteral("2, FT000001");
        tracker()->startUpPresenceCheck();
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(captions, QStringList{"USB FT000001"});
    }

    void startUpWithEncoderAbsent()
    {
        attach("FT000009");
        state.devId = QStringLiteral("2, FT000001");
        tracker()->startUpPresenceCheck();
        QCOMPARE(state.deviceMissing, true);
        QVERIFY(captions.isEmpty());   // the panel keeps "< none >"
    }

    void selectedEncoderUnpluggedAndPluggedIn()
    {
        attach("FT000001");
        state.devId = QStringLiteral("2, FT000001");
        auto t = tracker();
        t->startUpPresenceCheck();
        t->registerNotifications();
        QVERIFY(t->notifyHandle());
        state.usbBaudRate = 115200;
        captions.clear();

        bus->detach("FT000001");
        QCOMPARE(state.deviceMissing, true);
        QCOMPARE(state.usbBaudRate, 9600);
        QCOMPARE(captions, QStringList{"< none >"});

        attach("FT000001");
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(captions, (QStringList{"< none >", "USB FT000001"}));
        QCOMPARE(state.devId, QStringLiteral("2, FT000001"));
    }

    void storedSerialInOtherCase()
    {
        attach("FTAB12");
        state.devId = QStringLiteral("2, ftab12");
        auto t = tracker();
        t->startUpPresenceCheck();
        t->registerNotifications();
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(captions, QStringList{"USB ftab12"});
        attach("FT999");
        bus->detach("FT999");
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(captions.size(), 1);
        bus->detach("FTAB12");
        QCOMPARE(state.deviceMissing, true);
        attach("FTAB12");
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(captions.last(), QStringLiteral("USB ftab12"));
    }

    void otherDeviceComesAndGoes()
    {
        attach("FT000001");
        state.devId = QStringLiteral("2, FT000001");
        auto t = tracker();
        t->startUpPresenceCheck();
        t->registerNotifications();
        state.usbBaudRate = 38400;
        captions.clear();

        attach("FTOTHER", "FT232R USB UART");
        attach("FT000002");
        bus->detach("FTOTHER");
        bus->detach("FT000002");
        QCOMPARE(state.deviceMissing, false);
        QCOMPARE(state.usbBaudRate, 38400);
        QVERIFY(captions.isEmpty());   // an arrival while not missing refreshes nothing
    }

    void comPortSelected()
    {
        state.devId = QStringLiteral("1, COM1, 9600");
        state.usbBaudRate = 19200;
        auto t = tracker();
        t->registerNotifications();
        attach("FT000001");
        bus->detach("FT000001");
        state.deviceMissing = true;    // not even a stale flag is acted on
        attach("FT000001");
        QCOMPARE(state.usbBaudRate, 19200);
        QVERIFY(captions.isEmpty());
        QCOMPARE(state.devId, QStringLiteral("1, COM1, 9600"));
    }

    void removalWhileMissingSetsTheSameAgain()
    {
        state.devId = QStringLiteral("2, FT000001");
        auto t = tracker();
        t->startUpPresenceCheck();
        QVERIFY(state.deviceMissing);
        state.usbBaudRate = 57600;
        t->onRemoval();
        QCOMPARE(captions, QStringList{"< none >"});
        QCOMPARE(state.usbBaudRate, 9600);
        QVERIFY(state.deviceMissing);
    }

    // A DevID whose kind is neither 1 nor 2 is treated as USB at start-up
    // but never followed afterwards.
    void onlyKindTwoIsFollowed()
    {
        attach("FT000001");
        state.devId = QStringLiteral("3, FT000001");
        state.deviceMissing = true;
        auto t = tracker();
        t->onArrival();
        QVERIFY(state.deviceMissing);
        t->startUpPresenceCheck();
        QVERIFY(!state.deviceMissing);
    }

    void eventFilter_data()
    {
        using namespace devicechange;
        QTest::addColumn<quint32>("event");
        QTest::addColumn<quint32>("deviceType");
        QTest::addColumn<bool>("handled");
        QTest::newRow("arrival, interface") << DeviceArrival << TypeDeviceInterface << true;
        QTest::newRow("remove complete, interface") << DeviceRemoveComplete << TypeDeviceInterface << true;
        QTest::newRow("query remove") << QueryRemove << TypeDeviceInterface << false;
        QTest::newRow("query remove failed") << QueryRemoveFailed << TypeDeviceInterface << false;
        QTest::newRow("remove pending") << RemovePending << TypeDeviceInterface << false;
        QTest::newRow("devnodes changed") << DevNodesChanged << TypeDeviceInterface << false;
        QTest::newRow("arrival, volume") << DeviceArrival << TypeVolume << false;
        QTest::newRow("remove complete, port") << DeviceRemoveComplete << TypePort << false;
        QTest::newRow("arrival, type 0") << DeviceArrival << quint32(0) << false;
    }
    void eventFilter()
    {
        QFETCH(quint32, event);
        QFETCH(quint32, deviceType);
        QFETCH(bool, handled);
        state.devId = QStringLiteral("2, FT000001");
        state.deviceMissing = true;
        state.usbBaudRate = 115200;
        int asked = 0;
        UsbDeviceTracker t(state, [this](const QString &c) { captions << c; },
                           [&asked](const QString &) { ++asked; return false; });
        t.onDeviceChange(event, deviceType);
        QCOMPARE(asked > 0, handled);
        if (!handled) {
            QVERIFY(captions.isEmpty());
            QCOMPARE(state.usbBaudRate, 115200);
        }
    }

    void registrationLivesUntilUnregistered()
    {
        attach("FT000001");
        state.devId = QStringLiteral("2, FT000001");
        auto t = tracker();
        t->startUpPresenceCheck();
        t->registerNotifications();
        t->unregisterNotifications();
        QVERIFY(!t->notifyHandle());
        bus->detach("FT000001");
        QCOMPARE(state.deviceMissing, false);
        t.reset();
        attach("FT000001");   // nothing left that could receive it
    }

    // Without udevd (containers, CI) the monitor opens, says it is inactive,
    // and the program goes on without notifications.
    void udevMonitorByDefault()
    {
        setUsbNotificationFactory({});
        UsbNotificationHandle handle = RegisterUsbNotification();
        if (!handle)
            QSKIP("libudev cannot open a monitor here");
        QCOMPARE(handle->isActive(), QFileInfo::exists(QStringLiteral("/run/udev/control")));
        QVERIFY(UnregisterUsbNotification(handle));
        QVERIFY(!handle);
        QVERIFY(!UnregisterUsbNotification(handle));
    }

    void failedRegistrationIsSilent()
    {
        setUsbNotificationFactory([] { return UsbNotificationHandle(); });
        auto t = tracker();
        t->registerNotifications();
        QVERIFY(!t->notifyHandle());
        t->unregisterNotifications();
    }
};

QTEST_GUILESS_MAIN(UsbDeviceTrackerTest)
#include "UsbDeviceTrackerTest.moc"
