#include "FakeFtdiDriver.h"

#include "link/D2XXUnit.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QTest>

using namespace brevolan;
using brevolan::test::FakeFtdiDriver;
using brevolan::test::ScriptedPrompts;

class TestD2XXUnit : public QObject {
    Q_OBJECT

    FakeFtdiDriver *bus = nullptr;
    ScriptedPrompts *prompts = nullptr;

private slots:
    void init()
    {
        bus = new FakeFtdiDriver;
        bus->devices = {{"FT1A2B3C", "Brevolan 4 RDS/RBDS Encoder"}, {"A600XYZ", "FT232R USB UART"}};
        prompts = new ScriptedPrompts;
        setFtdiDriver(bus);
        setFtPrompts(prompts);
        FtErrorReport = true;
    }
    void cleanup()
    {
        if (FtHandle)
            bus->close(FtHandle);
        setFtdiDriver(nullptr);
        setFtPrompts(nullptr);
        delete bus;
        delete prompts;
    }

    void startValues()
    {
        QCOMPARE(FtXonChar, quint8(17));
        QCOMPARE(FtXoffChar, quint8(19));
        QCOMPARE(sizeof FtReadBuffer, size_t(1048576));
        QCOMPARE(sizeof FtWriteBuffer, size_t(32768));
        QCOMPARE(sizeof FtOpenSerial, size_t(50));
    }

    void statusTexts_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<quint32>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << "FT_Close" << 1u << "FT_Close - Invalid handle...";
        QTest::newRow("4") << "FT_Read" << 4u << "FT_Read - General IO error...";
        QTest::newRow("7") << "FT_SetBaudRate" << 7u << "FT_SetBaudRate - Invalid baud rate...";
        QTest::newRow("8 has no dash") << "X" << 8u << "X Device not opened for erase...";
        QTest::newRow("9 has no dash") << "X" << 9u << "X Device not opened for write...";
        QTest::newRow("16") << "X" << 16u << "X - Invalid arguments...";
        QTest::newRow("17") << "X" << 17u << "X - Other error ...";
        QTest::newRow("18 shows nothing") << "X" << 18u << "";
        QTest::newRow("huge") << "X" << 0xFFFFFFFFu << "";
    }
    void statusTexts()
    {
        QFETCH(QString, caption);
        QFETCH(quint32, status);
        QFETCH(QString, text);
        QCOMPARE(ftStatusText(caption, status), text);
    }

    void reportShowsABoxOnlyWhileSwitchedOn()
    {
        ReportFTStatus(QStringLiteral("FT_Read"), 0);
        QVERIFY(prompts->shown.isEmpty());
        ReportFTStatus(QStringLiteral("FT_Read"), 4);
        ReportFTStatus(QStringLiteral("FT_Read"), 18);
        QCOMPARE(prompts->texts("error"),
                 QStringList({QStringLiteral("FT_Read - General IO error..."), QString()}));
        FtErrorReport = false;
        ReportFTStatus(QStringLiteral("FT_Read"), 4);
        QCOMPARE(prompts->shown.size(), 2);
    }

    void failingWrapperReportsWithItsCaptionAndReturnsTheStatus()
    {
        // Nothing open: the read answers an invalid handle.
        FtHandle = 0;
        QCOMPARE(ReadFTDevice(1), 0u);
        QCOMPARE(CloseFTDevice(), ftstatus::InvalidHandle);
        QCOMPARE(prompts->texts("error"), QStringList({QStringLiteral("FT_Read - Invalid handle..."),
                                                      QStringLiteral("FT_Close - Invalid handle...")}));
        prompts->shown.clear();
        FtErrorReport = false;
        QCOMPARE(Open_USB_Device_By_Serial_Number(QStringLiteral("NOPE")), ftstatus::DeviceNotFound);
        QCOMPARE(PurgeFTReceive(), ftstatus::InvalidHandle);
        QVERIFY(prompts->shown.isEmpty());
    }

    void serialNumberForTheOpen_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("short") << "FT1A2B3C" << QByteArray("FT1A2B3C");
        QTest::newRow("49") << QString(49, 'S') << QByteArray(49, 'S');
        QTest::newRow("60 cut to 49") << QString(60, 'L') << QByteArray(49, 'L');
    }
    void serialNumberForTheOpen()
    {
        QFETCH(QString, serial);
        QFETCH(QByteArray, stored);
        std::fill(std::begin(FtOpenSerial), std::end(FtOpenSerial), 'x');
        StoreFTSerialNumber(serial);
        QCOMPARE(QByteArray(FtOpenSerial), stored);
    }

    void openSetsTheHandleAndCloseKeepsIt()
    {
        QCOMPARE(Open_USB_Device_By_Serial_Number(QStringLiteral("FT1A2B3C")), ftstatus::Ok);
        const FtHandleValue handle = FtHandle;
        QVERIFY(handle != 0);
        QCOMPARE(CloseFTDevice(), ftstatus::Ok);
        QCOMPARE(FtHandle, handle);
        // The handle of a closed device is refused like any other.
        QCOMPARE(ResetFTDevice(), ftstatus::InvalidHandle);
    }

    void listing()
    {
        bus->devices = {{"FT1A2B3C", "Brevolan 4 RDS/RBDS Encoder"},
                        {"ABCDEFGHIJKLMNOPQRST", QByteArray(70, 'D')},
                        {QByteArray("AB\0CD", 5), QByteArray("Desc\0tail", 9)}};
        QCOMPARE(GetFTDeviceCount(), ftstatus::Ok);
        QCOMPARE(FtDeviceCount, 3u);
        QCOMPARE(GetFTDeviceSerialNo(0), ftstatus::Ok);
        QCOMPARE(FtListedText, QStringLiteral("FT1A2B3C"));
        QCOMPARE(GetFTDeviceDescription(0), ftstatus::Ok);
        QCOMPARE(FtListedText, QStringLiteral("Brevolan 4 RDS/RBDS Encoder"));
        // At most 16 and 64 characters, up to the first NUL.
        QCOMPARE(GetFTDeviceSerialNo(1), ftstatus::Ok);
        QCOMPARE(FtListedText, QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(GetFTDeviceDescription(1), ftstatus::Ok);
        QCOMPARE(FtListedText, QString(64, 'D'));
        QCOMPARE(GetFTDeviceSerialNo(2), ftstatus::Ok);
        QCOMPARE(FtListedText, QStringLiteral("AB"));
        QCOMPARE(GetFTDeviceDescription(2), ftstatus::Ok);
        QCOMPARE(FtListedText, QStringLiteral("Desc"));
    }

    void failedListingCallKeepsTheLastText()
    {
        FtErrorReport = false;
        bus->failSerialAt[1] = ftstatus::IoError;
        QCOMPARE(GetFTDeviceSerialNo(0), ftstatus::Ok);
        QCOMPARE(GetFTDeviceSerialNo(1), ftstatus::IoError);
        QCOMPARE(FtListedText, QStringLiteral("FT1A2B3C"));
        QCOMPARE(GetFTDeviceSerialNo(7), ftstatus::DeviceNotFound);
        QCOMPARE(FtListedText, QStringLiteral("FT1A2B3C"));
        bus->unplug();
        FtDeviceCount = 5;
        QCOMPARE(GetFTDeviceCount(), ftstatus::Ok);
        QCOMPARE(FtDeviceCount, 0u);
    }

    void queueStatusAndReadThroughTheBuffers()
    {
        QCOMPARE(Open_USB_Device_By_Serial_Number(QStringLiteral("FT1A2B3C")), ftstatus::Ok);
        SetFTTimeouts(100, 100);
        bus->feed("OK\r");
        QCOMPARE(GetFTQueueStatus(), ftstatus::Ok);
        QCOMPARE(FtQueueBytes, 3u);
        QCOMPARE(ReadFTDevice(2), 2u);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(FtReadBuffer), 2), QByteArray("OK"));
        std::memcpy(FtWriteBuffer, "PI?\r", 4);
        QCOMPARE(WriteFTDevice(4), 4u);
        QCOMPARE(bus->log().last(), QStringLiteral("write 50493f0d"));
        CloseFTDevice();
    }
};

QTEST_GUILESS_MAIN(TestD2XXUnit)
#include "d2xx_unit.moc"
