// The udev adapter against umockdev: a mocked FTDI encoder in sysfs and
// uevents sent through the mocked netlink socket. Runs under
// umockdev-wrapper (the preload library); skips when that is not in force.

#include "devices/DeviceChange.h"
#include "devices/UdevUsbMonitor.h"

#include <QtTest>
#include <umockdev.h>

using namespace brevolan;

class UdevUsbMonitorTest : public QObject {
    Q_OBJECT

    UMockdevTestbed *testbed = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        // umockdev_in_mock_environment() answers false under the wrapper of
        // umockdev 0.17; the preload library is what matters.
        if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("libumockdev-preload")))
            QSKIP("not running under umockdev-wrapper");
        testbed = umockdev_testbed_new();
        QVERIFY(testbed);
    }
    void cleanupTestCase()
    {
        if (testbed)
            g_object_unref(testbed);
    }

    void actionMapping_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<quint32>("event");
        QTest::newRow("add") << QByteArray("add") << devicechange::DeviceArrival;
        QTest::newRow("remove") << QByteArray("remove") << devicechange::DeviceRemoveComplete;
        QTest::newRow("bind") << QByteArray("bind") << quint32(0);
        QTest::newRow("unbind") << QByteArray("unbind") << quint32(0);
        QTest::newRow("change") << QByteArray("change") << quint32(0);
        QTest::newRow("move") << QByteArray("move") << quint32(0);
    }
    void actionMapping()
    {
        QFETCH(QByteArray, action);
        QFETCH(quint32, event);
        QCOMPARE(UdevUsbMonitor::eventForAction(action.constData()), event);
        QCOMPARE(UdevUsbMonitor::eventForAction(nullptr), quint32(0));
    }

    // Plug, the kernel's and udev's follow-up events, unplug: exactly one
    // arrival and one removal of a device interface reach the window.
    void addAndRemoveOnly()
    {
        std::unique_ptr<UdevUsbMonitor> monitor = UdevUsbMonitor::open();
        QVERIFY(monitor);
        QList<QPair<quint32, quint32>> seen;
        connect(monitor.get(), &UsbNotification::deviceChange, this,
                [&seen](quint32 event, quint32 type) { seen.append({event, type}); });

        gchar *path = umockdev_testbed_add_device(
            testbed, "usb", "1-1", nullptr,
            "idVendor", "0403", "idProduct", "6001", "serial", "FT000001",
            "product", "Brevolan 4 RDS/RBDS Encoder", nullptr,
            "DEVTYPE", "usb_device", "PRODUCT", "403/6001/600", "ID_SERIAL_SHORT", "FT000001",
            nullptr);
        QVERIFY(path);   // adding it sent its "add"
        // Another subsystem on the same bus must not pass the filter.
        gchar *tty = umockdev_testbed_add_device(testbed, "tty", "ttyUSB0", path, nullptr,
                                                 "DEVNAME", "/dev/ttyUSB0", nullptr);

        umockdev_testbed_uevent(testbed, path, "bind");
        umockdev_testbed_uevent(testbed, path, "change");
        if (tty)
            umockdev_testbed_uevent(testbed, tty, "change");
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 3000);
        umockdev_testbed_uevent(testbed, path, "unbind");
        umockdev_testbed_uevent(testbed, path, "remove");
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 3000);
        QTest::qWait(100);   // nothing else trickles in

        using namespace devicechange;
        QCOMPARE(seen, (QList<QPair<quint32, quint32>>{{DeviceArrival, TypeDeviceInterface},
                                                       {DeviceRemoveComplete, TypeDeviceInterface}}));
        g_free(tty);
        g_free(path);
    }

    // The registration ends with the object: nothing is delivered afterwards.
    void closedMonitorIsSilent()
    {
        int seen = 0;
        {
            std::unique_ptr<UdevUsbMonitor> monitor = UdevUsbMonitor::open();
            QVERIFY(monitor);
            connect(monitor.get(), &UsbNotification::deviceChange, this, [&seen] { ++seen; });
        }
        gchar *path = umockdev_testbed_add_device(testbed, "usb", "1-2", nullptr,
                                                  "idVendor", "0403", nullptr,
                                                  "DEVTYPE", "usb_device", nullptr);
        umockdev_testbed_uevent(testbed, path, "remove");
        QTest::qWait(100);
        QCOMPARE(seen, 0);
        g_free(path);
    }
};

QTEST_GUILESS_MAIN(UdevUsbMonitorTest)
#include "UdevUsbMonitorTest.moc"
