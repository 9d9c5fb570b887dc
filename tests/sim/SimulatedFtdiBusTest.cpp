#include "sim/SimulatedFtdiBus.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace brevolan;
using brevolan::sim::EncoderEngine;
using brevolan::sim::EncoderFaults;
using brevolan::sim::SimulatedFtdiBus;

namespace {

const QByteArray Encoder = "Brevolan 4 RDS/RBDS Encoder";

// The way the device connection sets a device up: 500 ms time-outs, 8N1.
FtHandleValue openAndSetUp(SimulatedFtdiBus &bus, const QByteArray &serial, quint32 baud = 9600)
{
    FtHandleValue h = 0;
    if (bus.openBySerial(serial, h) != ftstatus::Ok)
        return 0;
    bus.setTimeouts(h, 500, 500);
    bus.setBaudRate(h, baud);
    bus.setFlowControl(h, 0, 0x11, 0x13);
    bus.setDataCharacteristics(h, 8, 0, 0);
    return h;
}

FtStatus send(SimulatedFtdiBus &bus, FtHandleValue h, const QByteArray &bytes)
{
    quint32 written = 0;
    return bus.write(h, reinterpret_cast<const quint8 *>(bytes.constData()), quint32(bytes.size()), written);
}

// One-byte reads until needle shows or a read comes back empty.
QByteArray receive(SimulatedFtdiBus &bus, FtHandleValue h, const QByteArray &needle, FtStatus *status = nullptr)
{
    QByteArray got;
    FtStatus st = ftstatus::Ok;
    while (!got.contains(needle)) {
        quint8 byte = 0;
        quint32 n = 0;
        st = bus.read(h, &byte, 1, n);
        if (st != ftstatus::Ok || n == 0)
            break;
        got.append(char(byte));
    }
    if (status)
        *status = st;
    return got;
}

} // namespace

class SimulatedFtdiBusTest : public QObject {
    Q_OBJECT
private slots:
    void listingFollowsAttachAndDetach();
    void openBySerial_data();
    void openBySerial();
    void handleLifecycle();
    void exchangeWithEncoder();
    void queueStatusCountsArrivedBytes();
    void readTimesOutWithoutFailure();
    void purgeDiscardsReceivedBytes();
    void detachMidReadEndsWithIoError();
    void readAfterDetachGivesWhatArrivedFirst();
    void baudRateMustMatchTheEncoder();
    void unplugFaultRemovesTheDevice();
    void foreignDeviceNeverAnswers();
    void invalidParameters_data();
    void invalidParameters();
    void failNextInjectsOneStatus();
    void noiseKeepsComing();
};

void SimulatedFtdiBusTest::listingFollowsAttachAndDetach()
{
    SimulatedFtdiBus bus;
    QSignalSpy arrived(&bus, &SimulatedFtdiBus::deviceArrived);
    QSignalSpy removed(&bus, &SimulatedFtdiBus::deviceRemoved);
    quint32 count = 99;
    QCOMPARE(bus.deviceCount(count), ftstatus::Ok);
    QCOMPARE(count, 0u);

    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    bus.attach("FT123456", "FT232R USB UART");
    QCOMPARE(arrived.count(), 2);
    QCOMPARE(bus.deviceCount(count), ftstatus::Ok);
    QCOMPARE(count, 2u);
    QByteArray text;
    QCOMPARE(bus.serialNumber(0, text), ftstatus::Ok);
    QCOMPARE(text, QByteArray("BV000001"));
    QCOMPARE(bus.description(0, text), ftstatus::Ok);
    QCOMPARE(text, Encoder);
    QCOMPARE(bus.serialNumber(1, text), ftstatus::Ok);
    QCOMPARE(text, QByteArray("FT123456"));
    text = "kept";
    QCOMPARE(bus.serialNumber(2, text), ftstatus::DeviceNotFound);
    QCOMPARE(text, QByteArray("kept"));

    bus.detach("BV000001");
    QCOMPARE(removed.count(), 1);
    QCOMPARE(bus.deviceCount(count), ftstatus::Ok);
    QCOMPARE(count, 1u);
    QCOMPARE(bus.serialNumber(0, text), ftstatus::Ok);
    QCOMPARE(text, QByteArray("FT123456"));
    bus.detach("NOSUCH");
    QCOMPARE(removed.count(), 1);
}

void SimulatedFtdiBusTest::openBySerial_data()
{
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<FtStatus>("status");
    QTest::newRow("attached") << QByteArray("BV000001") << ftstatus::Ok;
    QTest::newRow("unknown") << QByteArray("BV999999") << ftstatus::DeviceNotFound;
    QTest::newRow("empty") << QByteArray() << ftstatus::DeviceNotFound;
    QTest::newRow("detached") << QByteArray("BV000002") << ftstatus::DeviceNotFound;
    QTest::newRow("case matters") << QByteArray("bv000001") << ftstatus::DeviceNotFound;
}

void SimulatedFtdiBusTest::openBySerial()
{
    QFETCH(QByteArray, serial);
    QFETCH(FtStatus, status);
    SimulatedFtdiBus bus;
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    bus.attach("BV000002", Encoder, std::make_shared<EncoderEngine>());
    bus.detach("BV000002");
    FtHandleValue h = 0;
    QCOMPARE(bus.openBySerial(serial, h), status);
    QCOMPARE(h != 0, status == ftstatus::Ok);
}

void SimulatedFtdiBusTest::handleLifecycle()
{
    SimulatedFtdiBus bus;
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    FtHandleValue h = 0;
    QCOMPARE(bus.openBySerial("BV000001", h), ftstatus::Ok);
    QVERIFY(bus.isOpen("BV000001"));
    FtHandleValue second = 0;
    QCOMPARE(bus.openBySerial("BV000001", second), ftstatus::DeviceNotOpened);   // busy
    QCOMPARE(bus.resetDevice(h), ftstatus::Ok);
    QCOMPARE(bus.resetCount("BV000001"), 1);
    QCOMPARE(bus.close(h), ftstatus::Ok);
    QVERIFY(!bus.isOpen("BV000001"));
    // The old handle names nothing any more, also once the device is open again.
    QCOMPARE(bus.close(h), ftstatus::InvalidHandle);
    QCOMPARE(bus.openBySerial("BV000001", second), ftstatus::Ok);
    QVERIFY(second != h);
    quint32 bytes = 0;
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::InvalidHandle);
    QCOMPARE(bus.queueStatus(0, bytes), ftstatus::InvalidHandle);
}

void SimulatedFtdiBusTest::exchangeWithEncoder()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    bus.attach("BV000001", Encoder, engine);
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    QVERIFY(h);
    QCOMPARE(send(bus, h, "\r"), ftstatus::Ok);
    QCOMPARE(receive(bus, h, "NO"), QByteArray("\rNO"));
    QCOMPARE(send(bus, h, "PI=ABCD\r"), ftstatus::Ok);
    QCOMPARE(receive(bus, h, "OK"), QByteArray("\rPI=ABCD\rOK"));   // the CR left from before first
    QCOMPARE(engine->value("PI"), QByteArray("ABCD"));
    QCOMPARE(bus.baudRate("BV000001"), 9600u);
    QCOMPARE(bus.readTimeout("BV000001"), 500u);
}

void SimulatedFtdiBusTest::queueStatusCountsArrivedBytes()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    engine->setValue("ECHO", "0");
    bus.attach("BV000001", Encoder, engine);
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    quint32 bytes = 99;
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::Ok);
    QCOMPARE(bytes, 0u);
    send(bus, h, "PS?\r");   // "BREVOLAN\rOK\r": 12 bytes, 12.5 ms at 9600
    QTRY_COMPARE_WITH_TIMEOUT((bus.queueStatus(h, bytes), bytes), 12u, 2000);
    quint8 buf[32] = {};
    quint32 got = 0;
    QCOMPARE(bus.read(h, buf, 5, got), ftstatus::Ok);
    QCOMPARE(got, 5u);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 5), QByteArray("BREVO"));
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::Ok);
    QCOMPARE(bytes, 7u);
}

void SimulatedFtdiBusTest::readTimesOutWithoutFailure()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    EncoderFaults silent;
    silent.silent = true;
    engine->setFaults(silent);
    bus.attach("BV000001", Encoder, engine);
    FtHandleValue h = openAndSetUp(bus, "BV000001");
    QCOMPARE(bus.setTimeouts(h, 300, 300), ftstatus::Ok);
    send(bus, h, "\r");
    quint8 byte = 0;
    quint32 got = 7;
    QElapsedTimer t;
    t.start();
    QCOMPARE(bus.read(h, &byte, 1, got), ftstatus::Ok);
    QCOMPARE(got, 0u);
    QVERIFY2(t.elapsed() >= 290 && t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));

    // A slow reply comes within the time-out: the read returns when it is there.
    engine->setFaults({});
    EncoderFaults slow;
    slow.replyDelayMs = 100;
    engine->setFaults(slow);
    QCOMPARE(bus.setTimeouts(h, 2000, 500), ftstatus::Ok);
    send(bus, h, "\r");
    t.restart();
    QCOMPARE(bus.read(h, &byte, 1, got), ftstatus::Ok);
    QCOMPARE(got, 1u);
    QVERIFY2(t.elapsed() >= 95 && t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
}

void SimulatedFtdiBusTest::purgeDiscardsReceivedBytes()
{
    SimulatedFtdiBus bus;
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    send(bus, h, "PI?\r");
    quint32 bytes = 0;
    QTRY_VERIFY_WITH_TIMEOUT((bus.queueStatus(h, bytes), bytes > 0), 2000);
    QThread::msleep(50);
    QCOMPARE(bus.purge(h, 1), ftstatus::Ok);
    QCOMPARE(bus.purge(h, 2), ftstatus::Ok);
    QCOMPARE(bus.purgeCount("BV000001"), 2);
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::Ok);
    QCOMPARE(bytes, 0u);
    QCOMPARE(bus.setTimeouts(h, 100, 100), ftstatus::Ok);
    QCOMPARE(receive(bus, h, "OK"), QByteArray());
}

void SimulatedFtdiBusTest::detachMidReadEndsWithIoError()
{
    SimulatedFtdiBus bus;
    QSignalSpy removed(&bus, &SimulatedFtdiBus::deviceRemoved);
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    QCOMPARE(bus.setTimeouts(h, 5000, 500), ftstatus::Ok);
    // The cable comes out while the read waits (a thread of its own, as a
    // hot-plug event would come).
    std::unique_ptr<QThread> unplug(QThread::create([&bus] {
        QThread::msleep(150);
        bus.detach("BV000001");
    }));
    unplug->start();
    quint8 byte = 0;
    quint32 got = 0;
    QElapsedTimer t;
    t.start();
    QCOMPARE(bus.read(h, &byte, 1, got), ftstatus::IoError);
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(got, 0u);
    unplug->wait();
    QCOMPARE(removed.count(), 1);
    quint32 bytes = 0;
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::IoError);
    QCOMPARE(send(bus, h, "\r"), ftstatus::IoError);
    QCOMPARE(bus.purge(h, 1), ftstatus::IoError);
    FtHandleValue again = 0;
    QCOMPARE(bus.openBySerial("BV000001", again), ftstatus::DeviceNotFound);
    QCOMPARE(bus.close(h), ftstatus::Ok);
    QCOMPARE(bus.close(h), ftstatus::InvalidHandle);

    // Plugged in again, it works as new.
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    const FtHandleValue h2 = openAndSetUp(bus, "BV000001");
    QVERIFY(h2);
    send(bus, h2, "\r");
    QVERIFY(receive(bus, h2, "NO").endsWith("NO"));
}

void SimulatedFtdiBusTest::readAfterDetachGivesWhatArrivedFirst()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    engine->setValue("ECHO", "0");
    bus.attach("BV000001", Encoder, engine);
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    send(bus, h, "\r");
    QThread::msleep(50);
    bus.detach("BV000001");
    FtStatus status = ftstatus::Ok;
    QCOMPARE(receive(bus, h, "never", &status), QByteArray("NO\r"));
    QCOMPARE(status, ftstatus::IoError);
}

void SimulatedFtdiBusTest::baudRateMustMatchTheEncoder()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    engine->setValue("ECHO", "0");
    bus.attach("BV000001", Encoder, engine);
    FtHandleValue h = openAndSetUp(bus, "BV000001");
    send(bus, h, "SPEED=115200\r");
    QCOMPARE(receive(bus, h, "OK"), QByteArray("OK"));   // still at 9600
    QCOMPARE(engine->lineSpeed(), 115200u);
    QThread::msleep(20);
    bus.purge(h, 1);
    // At 9600 the encoder hears nothing it understands.
    send(bus, h, "\r");
    QCOMPARE(receive(bus, h, "NO"), QByteArray());
    QVERIFY(engine->commandLog().size() == 1);
    bus.close(h);

    h = openAndSetUp(bus, "BV000001", 115200);
    QCOMPARE(bus.baudRate("BV000001"), 115200u);
    send(bus, h, "\r");
    QByteArray heard = receive(bus, h, "NO");
    if (!heard.contains("NO")) {   // the garbage heard at 9600 spoilt that line
        send(bus, h, "\r");
        heard = receive(bus, h, "NO");
    }
    QVERIFY(heard.endsWith("NO"));

    // The encoder answering at 115200 while the chip has moved to 19200.
    EncoderFaults slow;
    slow.replyDelayMs = 50;
    engine->setFaults(slow);
    QThread::msleep(10);
    bus.purge(h, 1);
    send(bus, h, "PI?\r");
    QCOMPARE(bus.setBaudRate(h, 19200), ftstatus::Ok);
    QThread::msleep(100);
    quint8 buf[16] = {};
    quint32 got = 0;
    QCOMPARE(bus.read(h, buf, 16, got), ftstatus::Ok);
    QCOMPARE(got, 8u);   // "FFFF\rOK\r" as garbage
    for (quint32 i = 0; i < got; ++i)
        QVERIFY(buf[i] >= 0x80);
}

void SimulatedFtdiBusTest::unplugFaultRemovesTheDevice()
{
    SimulatedFtdiBus bus;
    QSignalSpy removed(&bus, &SimulatedFtdiBus::deviceRemoved);
    auto engine = std::make_shared<EncoderEngine>();
    engine->setValue("ECHO", "0");
    EncoderFaults f;
    f.unplugAfterCommands = 2;
    engine->setFaults(f);
    bus.attach("BV000001", Encoder, engine);
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    send(bus, h, "\r");
    QCOMPARE(receive(bus, h, "NO\r"), QByteArray("NO\r"));
    send(bus, h, "MS?\r");
    // The last reply still arrives, and reads through to its end.
    QCOMPARE(receive(bus, h, "OK\r"), QByteArray("1\rOK\r"));
    quint32 bytes = 0;
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::IoError);
    QCOMPARE(removed.count(), 1);
    quint32 count = 9;
    bus.deviceCount(count);
    QCOMPARE(count, 0u);
    QVERIFY(!bus.isAttached("BV000001"));
    QCOMPARE(bus.close(h), ftstatus::Ok);
}

void SimulatedFtdiBusTest::foreignDeviceNeverAnswers()
{
    SimulatedFtdiBus bus;
    bus.attach("FT123456", "FT232R USB UART");
    const FtHandleValue h = openAndSetUp(bus, "FT123456");
    QVERIFY(h);
    QCOMPARE(bus.setTimeouts(h, 100, 100), ftstatus::Ok);
    QCOMPARE(send(bus, h, "\r"), ftstatus::Ok);
    QCOMPARE(receive(bus, h, "NO"), QByteArray());
}

void SimulatedFtdiBusTest::invalidParameters_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<FtStatus>("status");
    QTest::newRow("baud 0") << 0 << ftstatus::InvalidBaudRate;
    QTest::newRow("baud 5 MHz") << 1 << ftstatus::InvalidBaudRate;
    QTest::newRow("word length 5") << 2 << ftstatus::InvalidParameter;
    QTest::newRow("stop bits code 1") << 3 << ftstatus::InvalidParameter;
    QTest::newRow("parity 9") << 4 << ftstatus::InvalidParameter;
    QTest::newRow("flow 0x300") << 5 << ftstatus::InvalidParameter;
    QTest::newRow("purge mask 0") << 6 << ftstatus::InvalidParameter;
    QTest::newRow("purge mask 4") << 7 << ftstatus::InvalidParameter;
}

void SimulatedFtdiBusTest::invalidParameters()
{
    QFETCH(int, call);
    QFETCH(FtStatus, status);
    SimulatedFtdiBus bus;
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    FtStatus got = ftstatus::Ok;
    switch (call) {
    case 0: got = bus.setBaudRate(h, 0); break;
    case 1: got = bus.setBaudRate(h, 5'000'000); break;
    case 2: got = bus.setDataCharacteristics(h, 5, 0, 0); break;
    case 3: got = bus.setDataCharacteristics(h, 8, 1, 0); break;
    case 4: got = bus.setDataCharacteristics(h, 8, 0, 9); break;
    case 5: got = bus.setFlowControl(h, 0x300, 0x11, 0x13); break;
    case 6: got = bus.purge(h, 0); break;
    case 7: got = bus.purge(h, 4); break;
    }
    QCOMPARE(got, status);
    QCOMPARE(bus.baudRate("BV000001"), 9600u);   // a refused setting changes nothing
}

void SimulatedFtdiBusTest::failNextInjectsOneStatus()
{
    SimulatedFtdiBus bus;
    bus.attach("BV000001", Encoder, std::make_shared<EncoderEngine>());
    bus.failNext(SimulatedFtdiBus::Call::Open, ftstatus::DeviceNotOpened);
    FtHandleValue h = 0;
    QCOMPARE(bus.openBySerial("BV000001", h), ftstatus::DeviceNotOpened);
    QCOMPARE(bus.openBySerial("BV000001", h), ftstatus::Ok);
    bus.failNext(SimulatedFtdiBus::Call::QueueStatus, ftstatus::IoError);
    quint32 bytes = 0;
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::IoError);
    QCOMPARE(bus.queueStatus(h, bytes), ftstatus::Ok);
    bus.failNext(SimulatedFtdiBus::Call::SerialNumber, ftstatus::IoError);
    QByteArray serial;
    QCOMPARE(bus.serialNumber(0, serial), ftstatus::IoError);
    QCOMPARE(bus.serialNumber(0, serial), ftstatus::Ok);
}

void SimulatedFtdiBusTest::noiseKeepsComing()
{
    SimulatedFtdiBus bus;
    auto engine = std::make_shared<EncoderEngine>();
    EncoderFaults f;
    f.noise = true;
    engine->setFaults(f);
    bus.attach("BV000001", Encoder, engine);
    const FtHandleValue h = openAndSetUp(bus, "BV000001");
    send(bus, h, "PI?\r");
    QByteArray heard;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300 && !heard.contains("OK"))
        heard += receive(bus, h, "\r");
    QVERIFY(!heard.contains("OK"));
    QVERIFY2(heard.size() > 100, qPrintable(QString::number(heard.size())));
}

QTEST_GUILESS_MAIN(SimulatedFtdiBusTest)
#include "SimulatedFtdiBusTest.moc"
