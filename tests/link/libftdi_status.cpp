#include "link/LibFtdiStatus.h"

#include <QTest>

using namespace brevolan;

class TestLibFtdiStatus : public QObject {
    Q_OBJECT
private slots:
    void returnCodes_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("rc");
        QTest::addColumn<quint32>("status");
        QTest::newRow("find_all count") << "find" << 3 << 0u;
        QTest::newRow("find_all out of memory") << "find" << -3 << 5u;
        QTest::newRow("find_all list failed") << "find" << -5 << 4u;
        QTest::newRow("find_all descriptor failed") << "find" << -6 << 4u;
        QTest::newRow("strings ok") << "strings" << 0 << 0u;
        QTest::newRow("strings no access") << "strings" << -4 << 3u;
        QTest::newRow("strings read failed") << "strings" << -8 << 4u;
        QTest::newRow("open ok") << "open" << 0 << 0u;
        QTest::newRow("open failed") << "open" << -4 << 3u;
        QTest::newRow("open claimed by another") << "open" << -5 << 3u;
        QTest::newRow("open reset failed") << "open" << -6 << 4u;
        QTest::newRow("open baud failed") << "open" << -7 << 4u;
        QTest::newRow("open permissions") << "open" << -8 << 3u;
        QTest::newRow("baud ok") << "baud" << 0 << 0u;
        QTest::newRow("baud no divisor") << "baud" << -1 << 7u;
        QTest::newRow("baud usb failed") << "baud" << -2 << 4u;
        QTest::newRow("read bytes") << "transfer" << 12 << 0u;
        QTest::newRow("read no device") << "transfer" << -4 << 4u;
        QTest::newRow("no device open") << "transfer" << -666 << 4u;
    }
    void returnCodes()
    {
        QFETCH(QString, call);
        QFETCH(int, rc);
        QFETCH(quint32, status);
        FtStatus got = 99;
        if (call == "find") got = libftdi::findAllStatus(rc);
        else if (call == "strings") got = libftdi::getStringsStatus(rc);
        else if (call == "open") got = libftdi::openDevStatus(rc);
        else if (call == "baud") got = libftdi::baudRateStatus(rc);
        else got = libftdi::transferStatus(rc);
        QCOMPARE(got, status);
    }

    void framingIsValidatedBeforeTheChipSeesIt()
    {
        QVERIFY(libftdi::validDataCharacteristics(8, 0, 0));
        QVERIFY(libftdi::validDataCharacteristics(7, 2, 4));
        QVERIFY(!libftdi::validDataCharacteristics(5, 0, 0));
        QVERIFY(!libftdi::validDataCharacteristics(8, 3, 0));
        QVERIFY(!libftdi::validDataCharacteristics(8, 0, 5));
    }

    void flowControlCodes()
    {
        for (quint16 flow : {0x000, 0x100, 0x200, 0x400})
            QVERIFY(libftdi::validFlowControl(flow));
        for (quint16 flow : {0x001, 0x300, 0x500, 0xFFFF})
            QVERIFY(!libftdi::validFlowControl(flow));
    }
};

QTEST_GUILESS_MAIN(TestLibFtdiStatus)
#include "libftdi_status.moc"
