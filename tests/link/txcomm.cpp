#include "FdCount.h"
#include "PtyPeer.h"

#include "common/BrevolanError.h"
#include "link/MillisecondClock.h"
#include "link/TXComm.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace brevolan;
using brevolan::test::PtyPeer;

namespace {

QString raisedBy(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EDeviceError &e) {
        return e.message();
    }
    return QStringLiteral("<nothing raised>");
}

void openOn(TXComm &port, const QString &name, qint32 baud = 9600)
{
    port.setBaudRate(TBaudRate::brCustom);
    port.setBaudValue(baud);
    port.setDeviceName(name);
    port.open();
}

QByteArray readFor(TXComm &port, int ms)
{
    QByteArray out;
    const quint32 start = MillisecondClock();
    char buffer[64];
    while (port.isOpen() && elapsedMs(start, MillisecondClock()) < ms) {
        const int n = port.read(buffer, sizeof buffer, 10);
        out.append(buffer, n);
    }
    return out;
}

} // namespace

class TestTXComm : public QObject {
    Q_OBJECT
private slots:
    void designTimeSettings()
    {
        TXComm port;
        QCOMPARE(port.baudRate(), TBaudRate::brCustom);
        QCOMPARE(port.baudValue(), 9600);
        QCOMPARE(port.deviceName(), QStringLiteral("COM2"));
        QCOMPARE(port.buffers().InputSize, 2048);
        QCOMPARE(port.buffers().OutputSize, 2048);
        QCOMPARE(port.buffers().OutputTimeout, 500);
        QVERIFY(!port.isOpen());
        QVERIFY(port.readLocked());
        QVERIFY(port.writeLocked());
    }

    void exchangesBytesOnThePort()
    {
        PtyPeer peer;
        QVERIFY(peer.isReady());
        TXComm port;
        openOn(port, peer.slavePath());
        QVERIFY(port.isOpen());
        QVERIFY(!port.readLocked());
        QVERIFY(port.sendString("PI?\r"));
        QCOMPARE(peer.receive(), QByteArray("PI?\r"));
        peer.send("PI=1234\r");
        QCOMPARE(readFor(port, 200), QByteArray("PI=1234\r"));
        port.close();
        QVERIFY(!port.isOpen());
    }

    void lineSettingsReachTheLine()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath(), 115200);
        const int fd = ::open(peer.slavePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        termios tio{};
        QCOMPARE(tcgetattr(fd, &tio), 0);
        ::close(fd);
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(!(tio.c_cflag & PARENB));
        QVERIFY(!(tio.c_cflag & CSTOPB));
        QVERIFY(!(tio.c_cflag & CRTSCTS));
        QVERIFY(!(tio.c_iflag & (IXON | IXOFF)));
        QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
    }

    void openingAnOpenPortRaises()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        QCOMPARE(raisedBy([&] { port.open(); }), QStringLiteral("Device is allready opened."));
        QVERIFY(port.isOpen());
    }

    void anyCustomSpeedOpens()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath(), 12345);
        QVERIFY(port.isOpen());
    }

    void staleInputIsDiscardedAtOpen()
    {
        PtyPeer peer;
        peer.send("stale\r");
        QTest::qWait(20);
        TXComm port;
        openOn(port, peer.slavePath());
        QCOMPARE(port.inputQueueCount(), 0);
        peer.send("fresh");
        QCOMPARE(readFor(port, 200), QByteArray("fresh"));
    }

    void readDropsNulBytes()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        peer.send(QByteArray("O\0K\0\0\r", 6));
        QCOMPARE(readFor(port, 200), QByteArray("OK\r"));
    }

    void inputQueueCountSeesWaitingBytes()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        QCOMPARE(port.inputQueueCount(), 0);
        peer.send("abc");
        QTRY_COMPARE_WITH_TIMEOUT(port.inputQueueCount(), 3, 1000);
    }

    void readWithNothingWaitingReturnsAfterItsTimeout()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        char byte = 0;
        QElapsedTimer t;
        t.start();
        QCOMPARE(port.read(&byte, 1, 150), 0);
        QVERIFY2(t.elapsed() >= 149 && t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        t.restart();
        QCOMPARE(port.read(&byte, 1, 0), 0);
        QVERIFY(t.elapsed() < 100);
    }

    void closedPortRaises()
    {
        TXComm port;
        char byte;
        QCOMPARE(raisedBy([&] { port.close(); }), QStringLiteral("Device not opened."));
        QCOMPARE(raisedBy([&] { port.inputQueueCount(); }), QStringLiteral("Device not opened."));
        QCOMPARE(raisedBy([&] { port.read(&byte, 1, 0); }), QStringLiteral("Device not opened."));
        QCOMPARE(raisedBy([&] { port.sendString("\r"); }), QStringLiteral("Device not opened."));
    }

    void portThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing device name") << "ttyUSB99";
        QTest::newRow("missing COM port") << "COM200";
        QTest::newRow("missing path") << "/dev/nonexistent/port";
        QTest::newRow("empty name") << "";
    }
    void portThatCannotBeOpened()
    {
        QFETCH(QString, name);
        TXComm port;
        QCOMPARE(raisedBy([&] { openOn(port, name); }), QStringLiteral("Cannot open device %1").arg(name));
        QVERIFY(!port.isOpen());
    }

    void regularFileIsNoPort()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        TXComm port;
        QCOMPARE(raisedBy([&] { openOn(port, file.fileName()); }),
                 QStringLiteral("Cannot open device %1").arg(file.fileName()));
        QVERIFY(!port.isOpen());
    }

    void busyPortCannotBeOpened()
    {
        PtyPeer peer;
        TXComm first, second;
        openOn(first, peer.slavePath());
        QCOMPARE(raisedBy([&] { openOn(second, peer.slavePath()); }),
                 QStringLiteral("Cannot open device %1").arg(peer.slavePath()));
        QVERIFY(!second.isOpen());
        first.close();
        openOn(second, peer.slavePath());
        QVERIFY(second.isOpen());
    }

    void refusedSpeed_data()
    {
        QTest::addColumn<qint32>("baud");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -9600;
    }
    void refusedSpeed()
    {
        QFETCH(qint32, baud);
        PtyPeer peer;
        TXComm port;
        QCOMPARE(raisedBy([&] { openOn(port, peer.slavePath(), baud); }),
                 QStringLiteral("Unable to update device control block."));
        QVERIFY(!port.isOpen());
        // Nothing is left holding the port.
        TXComm other;
        openOn(other, peer.slavePath());
        QVERIFY(other.isOpen());
    }

    void hangUpClosesThePort()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        peer.hangUp();
        char byte = 0;
        QElapsedTimer t;
        t.start();
        QCOMPARE(port.read(&byte, 1, 2000), 0);
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!port.isOpen());
        QVERIFY(port.readLocked());
        QCOMPARE(raisedBy([&] { port.sendString("\r"); }),
                 QStringLiteral("Unable to write to port. (errno 5: Input/output error)"));
        // The connection's clean-up still closes without an error; a second
        // close is a real mistake again.
        port.close();
        QCOMPARE(raisedBy([&] { port.close(); }), QStringLiteral("Device not opened."));
    }

    void writeToAVanishedPeerRaises()
    {
        PtyPeer peer;
        TXComm port;
        openOn(port, peer.slavePath());
        peer.hangUp();
        const QString message = raisedBy([&] { port.sendString("PI?\r"); });
        QVERIFY2(message.startsWith(QStringLiteral("Unable to write to port. (errno ")), qPrintable(message));
        QVERIFY2(message.endsWith(QLatin1Char(')')), qPrintable(message));
        qInfo().noquote() << message;
    }

    void eventSuppressionNeverBelowZero()
    {
        TXComm port;
        port.lowerEventSuppression();
        QCOMPARE(port.eventSuppression(), 0);
        port.raiseEventSuppression();
        port.raiseEventSuppression();
        port.lowerEventSuppression();
        QCOMPARE(port.eventSuppression(), 1);
    }

    void noDescriptorLeaks()
    {
        const int before = test::openFdCount();
        {
            PtyPeer peer;
            TXComm port, other;
            for (int i = 0; i < 3; ++i) {
                openOn(port, peer.slavePath());
                raisedBy([&] { openOn(other, peer.slavePath()); });
                port.close();
            }
            raisedBy([&] { openOn(port, QStringLiteral("ttyUSB99")); });
            raisedBy([&] { openOn(port, peer.slavePath(), 0); });
            openOn(port, peer.slavePath());
            peer.hangUp();
            char byte;
            port.read(&byte, 1, 500);
            port.close();
        }
        QCOMPARE(test::openFdCount(), before);
    }
};

QTEST_GUILESS_MAIN(TestTXComm)
#include "txcomm.moc"
