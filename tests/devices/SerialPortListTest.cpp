// The serial ports the device dialog offers, and that every name it shows
// goes into DevID and opens the same port again.

#include "common/BrevolanError.h"
#include "devices/SerialPortList.h"
#include "link/DeviceId.h"

#include <QtTest>

using namespace brevolan;

class SerialPortListTest : public QObject {
    Q_OBJECT
private slots:
    void displayName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("first motherboard port") << "/dev/ttyS0" << "COM1";
        QTest::newRow("fourth motherboard port") << "/dev/ttyS3" << "COM4";
        QTest::newRow("USB adapter") << "/dev/ttyUSB0" << "ttyUSB0";
        QTest::newRow("CDC ACM") << "/dev/ttyACM1" << "ttyACM1";
        QTest::newRow("ARM UART") << "/dev/ttyAMA0" << "ttyAMA0";
        QTest::newRow("outside /dev") << "/dev/serial/by-id/usb-x-if00" << "/dev/serial/by-id/usb-x-if00";
        QTest::newRow("a name that reads as a COM port") << "/dev/COM1" << "/dev/COM1";
        QTest::newRow("comma") << "/dev/tty,1" << "";
        QTest::newRow("trailing blank") << "/dev/ttyUSB0 " << "";
        QTest::newRow("empty") << "" << "";
    }
    void displayName()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(comPortDisplayName(path), shown);
        if (shown.isEmpty())
            return;
        // Into DevID and out again, the name opens the listed device.
        const SerialDevId back = parseSerialDevId(serialDevId(shown, QStringLiteral("9600")));
        QCOMPARE(back.port, shown);
        QCOMPARE(back.speed, QStringLiteral("9600"));
        QCOMPARE(serialPortPath(back.port), path);
    }

    void ordered()
    {
        QStringList list;
        QVERIFY(ListComPorts(list, [] {
            return std::optional<QStringList>({"/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyUSB2",
                                               "/dev/ttyS10", "/dev/ttyS0", "/dev/ttyACM0",
                                               "/dev/serial/x", "/dev/ttyUSB2"});
        }));
        QCOMPARE(list, (QStringList{"COM1", "COM2", "COM11", "ttyACM0", "ttyUSB2", "ttyUSB10",
                                    "/dev/serial/x"}));
    }

    void noPortsLeavesTheListAlone()
    {
        QStringList list{"kept"};
        QVERIFY(ListComPorts(list, [] { return std::optional<QStringList>(QStringList()); }));
        QCOMPARE(list, QStringList{"kept"});
    }

    void enumerationFailure()
    {
        QStringList list{"kept"};
        try {
            ListComPorts(list, [] { return std::optional<QStringList>(); });
            QFAIL("no error raised");
        } catch (const BrevolanError &e) {
            QCOMPARE(e.message(), QStringLiteral("EnumPorts failed."));
        }
        QCOMPARE(list, QStringList{"kept"});
    }

    // Whatever this machine has: every listed name opens a device node.
    void systemPortsRoundTrip()
    {
        QStringList list;
        QVERIFY(ListComPorts(list));
        for (const QString &name : list)
            QVERIFY2(QFileInfo::exists(serialPortPath(name)), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(SerialPortListTest)
#include "SerialPortListTest.moc"
