#include "FakeFtdiDriver.h"
#include "FdCount.h"
#include "PtyPeer.h"

#include "common/BrevolanError.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/TXComm.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace brevolan;
using brevolan::test::FakeFtdiDriver;
using brevolan::test::PtyPeer;
using brevolan::test::ScriptedPrompts;

namespace {

const QString UsbSerial = QStringLiteral("FT1A2B3C");

// An encoder that answers "NO" to bare CRs from the nth one on (0: never).
std::function<QByteArray(const QByteArray &)> answeringFromCr(int nth, QByteArray answer = "NO\r")
{
    auto seen = std::make_shared<std::atomic<int>>(0);
    return [=](const QByteArray &received) {
        QByteArray out;
        for (char c : received)
            if (c == '\r' && ++*seen >= nth && nth > 0)
                out += answer;
        return out;
    };
}

QString raisedBy(const std::function<void()> &call)
{
    try {
        call();
    } catch (const BrevolanError &e) {
        return e.message();
    }
    return QStringLiteral("<nothing raised>");
}

} // namespace

class TestDeviceConnection : public QObject {
    Q_OBJECT

    FakeFtdiDriver *bus = nullptr;
    ScriptedPrompts *prompts = nullptr;
    LinkState *state = nullptr;
    DeviceConnection *connection = nullptr;

    QString communicationsError() const { return QStringLiteral("Brevolan 4 - Communications Error."); }

private slots:
    void init()
    {
        bus = new FakeFtdiDriver;
        bus->devices = {{UsbSerial.toLatin1(), "Brevolan 4 RDS/RBDS Encoder"}};
        prompts = new ScriptedPrompts;
        state = new LinkState;
        connection = new DeviceConnection(*state, *prompts);
        setFtdiDriver(bus);
        FtErrorReport = false;
    }
    void cleanup()
    {
        delete connection;
        delete state;
        delete prompts;
        setFtdiDriver(nullptr);
        delete bus;
    }

    // --- serial port ---

    void serialHandshake_data()
    {
        QTest::addColumn<int>("answeredFrom");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("first CR") << 1 << QByteArray("NO\r") << true;
        QTest::newRow("fifth CR") << 5 << QByteArray("NO\r") << true;
        QTest::newRow("NO inside a longer line") << 1 << QByteArray("UNKNOWN COMMAND\r\n") << true;
        QTest::newRow("only after the fifth") << 6 << QByteArray("NO\r") << false;
        QTest::newRow("lower case") << 1 << QByteArray("no\r") << false;
    }
    void serialHandshake()
    {
        QFETCH(int, answeredFrom);
        QFETCH(QByteArray, answer);
        QFETCH(bool, opened);
        PtyPeer peer;
        peer.startResponder(answeringFromCr(answeredFrom, answer));
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QCOMPARE(connection->OpenDevice(), opened);
        QCOMPARE(connection->xcomm().isOpen(), opened);
        QCOMPARE(prompts->texts("error"), opened ? QStringList() : QStringList{communicationsError()});
        QCOMPARE(peer.heard(), QByteArray(opened ? answeredFrom : 5, '\r'));
        QCOMPARE(state->comPortName, peer.slavePath());
        QCOMPARE(state->comBaudRate, 9600);
        if (opened)
            connection->CloseDevice();
    }

    void silentSerialEncoderTakesAboutOneSecond()
    {
        PtyPeer peer;
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QElapsedTimer t;
        t.start();
        QVERIFY(!connection->OpenDevice());
        QVERIFY2(t.elapsed() >= 995 && t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(prompts->texts("error"), QStringList{communicationsError()});
        QCOMPARE(peer.receive(), QByteArray(5, '\r'));
        // Closed again: another program can take the port at once.
        QVERIFY(!connection->xcomm().isOpen());
        TXComm other;
        other.setDeviceName(peer.slavePath());
        other.open();
        QVERIFY(other.isOpen());
    }

    void encoderHangingUpDuringTheHandshake()
    {
        PtyPeer peer;
        peer.startResponder([](const QByteArray &) { return QByteArray(); });
        std::thread unplug([&] {
            while (!peer.heard().contains('\r'))
                QThread::msleep(5);
            peer.hangUp();
        });
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QElapsedTimer t;
        t.start();
        const QString raised = raisedBy([&] { QVERIFY(!connection->OpenDevice()); });
        unplug.join();
        QCOMPARE(raised, QStringLiteral("<nothing raised>"));
        QVERIFY(t.elapsed() < 1500);
        QCOMPARE(prompts->texts("error"), QStringList{communicationsError()});
        QVERIFY(!connection->xcomm().isOpen());
    }

    void speedComesFromDevIdAtEveryOpen()
    {
        PtyPeer peer;
        peer.startResponder(answeringFromCr(1));
        state->devId = QStringLiteral("1,%1,19200").arg(peer.slavePath());
        QVERIFY(connection->OpenDevice());
        QCOMPARE(state->comBaudRate, 19200);
        termios tio{};
        const int fd = ::open(peer.slavePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        tcgetattr(fd, &tio);
        ::close(fd);
        QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
        connection->CloseDevice();
    }

    void secondOpenWithoutCloseReopens()
    {
        PtyPeer peer;
        peer.startResponder(answeringFromCr(1));
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QVERIFY(connection->OpenDevice());
        QVERIFY(connection->OpenDevice());
        QVERIFY(connection->xcomm().isOpen());
        connection->CloseDevice();
        QCOMPARE(raisedBy([&] { connection->CloseDevice(); }), QStringLiteral("Device not opened."));
    }

    void speedThatIsNoInteger_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("word") << "fast" << "fast";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blanks trimmed") << "  96x0 " << "96x0";
        QTest::newRow("outside 32 bits") << "99999999999" << "99999999999";
    }
    void speedThatIsNoInteger()
    {
        QFETCH(QString, speed);
        QFETCH(QString, shown);
        PtyPeer peer;
        state->devId = QStringLiteral("1, %1, %2").arg(peer.slavePath(), speed);
        QCOMPARE(raisedBy([&] { connection->OpenDevice(); }),
                 QStringLiteral("'%1' is not a valid integer value").arg(shown));
        QVERIFY(!connection->xcomm().isOpen());
        QCOMPARE(peer.receive(100), QByteArray());
        QVERIFY(!state->firstUsbOpen);
    }

    void portThatCannotBeOpened()
    {
        state->devId = QStringLiteral("1, ttyUSB99, 9600");
        QCOMPARE(raisedBy([&] { connection->OpenDevice(); }), QStringLiteral("Cannot open device ttyUSB99"));
        PtyPeer peer;
        TXComm holder;
        holder.setDeviceName(peer.slavePath());
        holder.open();
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QCOMPARE(raisedBy([&] { connection->OpenDevice(); }),
                 QStringLiteral("Cannot open device %1").arg(peer.slavePath()));
        QCOMPARE(peer.receive(100), QByteArray());
        QVERIFY(prompts->shown.isEmpty());
    }

    void refusedSpeedRaisesTheControlBlockError()
    {
        PtyPeer peer;
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("0"));
        QCOMPARE(raisedBy([&] { connection->OpenDevice(); }),
                 QStringLiteral("Unable to update device control block."));
        QVERIFY(!connection->xcomm().isOpen());
    }

    void serialInputStaysForTheNextWait()
    {
        PtyPeer peer;
        peer.startResponder(answeringFromCr(1, "NO\rAFTER\r"));
        state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
        QVERIFY(connection->OpenDevice());
        QThread::msleep(50);
        connection->SendCommand("PI?\r");
        QByteArray reply;
        QCOMPARE(connection->WaitReply({"AFTER"}, 500, reply), 0);
        QCOMPARE(reply, QByteArray("\rAFTER"));
        connection->CloseDevice();
    }

    void noDescriptorLeaks()
    {
        const int before = test::openFdCount();
        {
            PtyPeer peer;
            peer.startResponder(answeringFromCr(1));
            state->devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
            for (int i = 0; i < 3; ++i) {
                QVERIFY(connection->OpenDevice());
                connection->CloseDevice();
            }
            peer.stopResponder();
            connection->OpenDevice();   // silent: closed again
            state->devId = QStringLiteral("1, ttyUSB99, 9600");
            raisedBy([&] { connection->OpenDevice(); });
        }
        QCOMPARE(test::openFdCount(), before);
    }

    // --- USB ---

    void firstUsbOpenOfTheRunResetsOnce()
    {
        bus->onWrite = answeringFromCr(1);
        state->devId = usbDevId(UsbSerial);
        QVERIFY(connection->OpenDevice());
        connection->CloseDevice();
        QCOMPARE(bus->log(), QStringList({"open FT1A2B3C", "reset", "close", "open FT1A2B3C",
                                          "timeouts 500 500", "baud 9600", "flow 0 17 19", "data 8 0 0",
                                          "purge 1", "purge 2", "write 0d", "close"}));
        QVERIFY(!state->firstUsbOpen);
        bus->clearLog();
        state->usbBaudRate = 38400;
        QVERIFY(connection->OpenDevice());
        connection->CloseDevice();
        QCOMPARE(bus->log(), QStringList({"open FT1A2B3C", "timeouts 500 500", "baud 38400", "flow 0 17 19",
                                          "data 8 0 0", "purge 1", "purge 2", "write 0d", "close"}));
    }

    void runThatBeganOnSerialNeverResets()
    {
        state->devId = QStringLiteral("1, ttyUSB99, 9600");
        raisedBy([&] { connection->OpenDevice(); });
        QVERIFY(!state->firstUsbOpen);
        bus->onWrite = answeringFromCr(1);
        state->devId = usbDevId(UsbSerial);
        QVERIFY(connection->OpenDevice());
        connection->CloseDevice();
        QVERIFY(!bus->log().contains(QStringLiteral("reset")));
    }

    void absentUsbDeviceFailsQuietly()
    {
        state->devId = usbDevId(QStringLiteral("OTHER123"));
        QVERIFY(!connection->OpenDevice());
        QVERIFY(prompts->shown.isEmpty());
        QCOMPARE(bus->log(), QStringList({"open OTHER123", "open OTHER123"}));
        QVERIFY(!state->firstUsbOpen);
    }

    void usbHandshake_data()
    {
        QTest::addColumn<int>("answeredFrom");
        QTest::addColumn<bool>("opened");
        QTest::newRow("fifth CR") << 5 << true;
        QTest::newRow("never") << 0 << false;
    }
    void usbHandshake()
    {
        QFETCH(int, answeredFrom);
        QFETCH(bool, opened);
        bus->onWrite = answeringFromCr(answeredFrom);
        state->devId = usbDevId(UsbSerial);
        QElapsedTimer t;
        t.start();
        QCOMPARE(connection->OpenDevice(), opened);
        const qint64 took = t.elapsed();
        QCOMPARE(bus->log().filter(QStringLiteral("write")).size(), opened ? answeredFrom : 5);
        if (opened) {
            QVERIFY(prompts->shown.isEmpty());
            connection->CloseDevice();
        } else {
            // Every attempt waits out one 500 ms read before the clock is read.
            QVERIFY2(took >= 2450 && took < 3500, qPrintable(QString::number(took)));
            QCOMPARE(prompts->texts("error"), QStringList{communicationsError()});
            QCOMPARE(bus->log().last(), QStringLiteral("close"));
        }
    }

    void everyUsbCommandStartsFromCleanQueues()
    {
        bus->onWrite = answeringFromCr(1);
        state->devId = usbDevId(UsbSerial);
        QVERIFY(connection->OpenDevice());
        bus->onWrite = nullptr;
        bus->clearLog();
        bus->feed("unread");
        connection->SendCommand("PI?\r");
        connection->SendCommand("PS?\r");
        QCOMPARE(bus->log(), QStringList({"purge 1", "purge 2", "write 50493f0d",
                                          "purge 1", "purge 2", "write 50533f0d"}));
        QCOMPARE(bus->inbox(), QByteArray());
        // Nothing of an earlier, longer command is left in the buffer.
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(FtWriteBuffer), 6), QByteArray("PS?\r\0\0", 6));
        connection->CloseDevice();
    }

    void overlongUsbCommandIsCutToTheBuffer()
    {
        bus->onWrite = answeringFromCr(1);
        state->devId = usbDevId(UsbSerial);
        QVERIFY(connection->OpenDevice());
        bus->onWrite = nullptr;
        bus->clearLog();
        connection->SendCommand(QByteArray(40000, 'A'));
        const QString write = bus->log().filter(QStringLiteral("write")).value(0);
        QCOMPARE(write.size(), int(strlen("write ")) + 2 * 32768);
        connection->CloseDevice();
    }

    void closeFollowsTheTransportOfDevId()
    {
        state->devId = usbDevId(UsbSerial);
        connection->CloseDevice();   // nothing open: the status is ignored
        QCOMPARE(bus->log(), QStringList{"close"});
        state->devId = DefaultDevId;
        QCOMPARE(raisedBy([&] { connection->CloseDevice(); }), QStringLiteral("Device not opened."));
    }
};

QTEST_GUILESS_MAIN(TestDeviceConnection)
#include "device_connection.moc"
