// DevID: its two forms, how readers take it apart, and where a port opens.

#include "link/DeviceId.h"

#include <QtTest>

using namespace brevolan;

class DeviceIdTest : public QObject {
    Q_OBJECT
private slots:
    void serialPieces_data();
    void serialPieces();
    void usbSerial_data();
    void usbSerial();
    void displayName_data();
    void displayName();
    void build();
    void kind_data();
    void kind();
    void portPath_data();
    void portPath();
};

void DeviceIdTest::serialPieces_data()
{
    QTest::addColumn<QString>("devId");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("speed");
    QTest::newRow("written form") << "1, COM1, 9600" << "COM1" << "9600";
    QTest::newRow("no blanks after commas") << "1,COM1,9600" << "COM1" << "9600";
    QTest::newRow("extra blanks") << "1 ,  COM3 ,\t19200 " << "COM3" << "19200";
    QTest::newRow("linux port") << "1, ttyUSB0, 115200" << "ttyUSB0" << "115200";
    QTest::newRow("path") << "1, /dev/pts/3, 9600" << "/dev/pts/3" << "9600";
    QTest::newRow("no speed") << "1, COM1" << "COM1" << "";
    QTest::newRow("kind only") << "1" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
    // The connection cuts the rest once more; the reader keeps it whole.
    QTest::newRow("further comma") << "1, COM1, 9600, x" << "COM1" << "9600, x";
}

void DeviceIdTest::serialPieces()
{
    QFETCH(QString, devId);
    QFETCH(QString, port);
    QFETCH(QString, speed);
    const SerialDevId s = parseSerialDevId(devId);
    QCOMPARE(s.port, port);
    QCOMPARE(s.speed, speed);
}

void DeviceIdTest::usbSerial_data()
{
    QTest::addColumn<QString>("devId");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("presence");
    QTest::newRow("written form") << "2, FT12ab34" << "FT12ab34" << "FT12AB34";
    QTest::newRow("no blank") << "2,FT1" << "FT1" << "FT1";
    QTest::newRow("no serial") << "2" << "" << "";
}

void DeviceIdTest::usbSerial()
{
    QFETCH(QString, devId);
    QFETCH(QString, serial);
    QFETCH(QString, presence);
    QCOMPARE(usbSerialOf(devId), serial);
    QCOMPARE(presenceSerialOf(devId), presence);
}

void DeviceIdTest::displayName_data()
{
    QTest::addColumn<QString>("devId");
    QTest::addColumn<QString>("shown");
    QTest::newRow("serial") << "1, COM1, 9600" << "COM1, 9600";
    QTest::newRow("usb") << "2, FT12AB34" << "USB FT12AB34";
    QTest::newRow("compact serial") << "1,COM2,4800" << "COM2,4800";
    QTest::newRow("empty") << "" << "";
}

void DeviceIdTest::displayName()
{
    QFETCH(QString, devId);
    QFETCH(QString, shown);
    QCOMPARE(deviceDisplayName(devId), shown);
}

void DeviceIdTest::build()
{
    QCOMPARE(serialDevId(QStringLiteral("COM1"), QStringLiteral("9600")), DefaultDevId);
    QCOMPARE(usbDevId(QStringLiteral("FT12ab34")), QStringLiteral("2, FT12ab34"));
    const SerialDevId back = parseSerialDevId(serialDevId(QStringLiteral("ttyS1"), QStringLiteral("19200")));
    QCOMPARE(back.port, QStringLiteral("ttyS1"));
    QCOMPARE(back.speed, QStringLiteral("19200"));
}

void DeviceIdTest::kind_data()
{
    QTest::addColumn<QString>("devId");
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("usb");
    QTest::newRow("serial") << "1, COM1, 9600" << true << false;
    QTest::newRow("usb") << "2, FT1" << false << true;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("blank first") << " 1, COM1, 9600" << false << false;
}

void DeviceIdTest::kind()
{
    QFETCH(QString, devId);
    QFETCH(bool, serial);
    QFETCH(bool, usb);
    QCOMPARE(isSerialDevId(devId), serial);
    QCOMPARE(isUsbDevId(devId), usb);
}

void DeviceIdTest::portPath_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("path");
    QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
    QTest::newRow("COM12") << "COM12" << "/dev/ttyS11";
    QTest::newRow("com2") << "com2" << "/dev/ttyS1";
    QTest::newRow("ttyUSB0") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("pty path") << "/dev/pts/3" << "/dev/pts/3";
}

void DeviceIdTest::portPath()
{
    QFETCH(QString, port);
    QFETCH(QString, path);
    QCOMPARE(serialPortPath(port), path);
}

QTEST_GUILESS_MAIN(DeviceIdTest)
#include "DeviceIdTest.moc"
