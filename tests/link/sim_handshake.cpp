// The connection against the encoder simulator: on a pseudo-terminal served
// at the line speed and on the simulated FTDI bus.
#include "common/BrevolanError.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/TXComm.h"
#include "sim/PtyEncoder.h"
#include "sim/SimulatedFtdiBus.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <thread>

using namespace brevolan;
using brevolan::sim::EncoderEngine;
using brevolan::sim::EncoderFaults;
using brevolan::sim::PtyEncoder;
using brevolan::sim::SimulatedFtdiBus;
using brevolan::test::ScriptedPrompts;

namespace {

const QByteArray Serial("BV400001");
const QByteArray Description("Brevolan 4 RDS/RBDS Encoder");

EncoderFaults faultsFor(const QString &name)
{
    EncoderFaults f;
    if (name == QLatin1String("answers the fifth CR")) f.handshakeFromCr = 5;
    if (name == QLatin1String("answers the sixth CR")) f.handshakeFromCr = 6;
    if (name == QLatin1String("no handshake")) f.noHandshake = true;
    if (name == QLatin1String("silent")) f.silent = true;
    return f;
}

} // namespace

class TestSimHandshake : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    LinkState state;

    void handshakeCases()
    {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<bool>("opened");
        QTest::newRow("answers the first CR") << "answers the first CR" << true;
        QTest::newRow("answers the fifth CR") << "answers the fifth CR" << true;
        QTest::newRow("answers the sixth CR") << "answers the sixth CR" << false;
        QTest::newRow("no handshake") << "no handshake" << false;
        QTest::newRow("silent") << "silent" << false;
    }

private slots:
    void init()
    {
        prompts.shown.clear();
        state = LinkState{};
        FtErrorReport = false;
    }

    void serialHandshake_data() { handshakeCases(); }
    void serialHandshake()
    {
        QFETCH(QString, faults);
        QFETCH(bool, opened);
        auto engine = std::make_shared<EncoderEngine>();
        engine->setFaults(faultsFor(faults));
        PtyEncoder encoder(engine);
        QVERIFY(encoder.start());
        state.devId = serialDevId(encoder.slavePath(), QStringLiteral("9600"));
        DeviceConnection connection(state, prompts);
        QCOMPARE(connection.OpenDevice(), opened);
        QCOMPARE(prompts.shown.isEmpty(), opened);
        if (opened) {
            connection.SendCommand("PS?\r");
            QByteArray reply;
            QCOMPARE(connection.WaitReply({"OK"}, 1000, reply), 0);
            QVERIFY2(reply.contains("BREVOLAN"), reply.constData());
            connection.CloseDevice();
        } else {
            QVERIFY(!connection.xcomm().isOpen());
        }
    }

    void serialSpeedMismatchFailsTheHandshake()
    {
        PtyEncoder encoder;
        QVERIFY(encoder.start());
        state.devId = serialDevId(encoder.slavePath(), QStringLiteral("19200"));
        DeviceConnection connection(state, prompts);
        QVERIFY(!connection.OpenDevice());
        QCOMPARE(prompts.texts("error"), QStringList{communicationsErrorText()});
    }

    void serialHangUpMidWait()
    {
        PtyEncoder encoder;
        QVERIFY(encoder.start());
        state.devId = serialDevId(encoder.slavePath(), QStringLiteral("9600"));
        DeviceConnection connection(state, prompts);
        QVERIFY(connection.OpenDevice());
        std::thread later([&] {
            QThread::msleep(200);
            encoder.hangUp();
        });
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        const int got = connection.WaitReply({"NEVER"}, 0, reply);
        later.join();
        QCOMPARE(got, -1);
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        connection.CloseDevice();   // the clean-up after a lost line raises nothing
    }

    void usbHandshake_data() { handshakeCases(); }
    void usbHandshake()
    {
        QFETCH(QString, faults);
        QFETCH(bool, opened);
        auto engine = std::make_shared<EncoderEngine>();
        engine->setFaults(faultsFor(faults));
        SimulatedFtdiBus bus;
        bus.attach(Serial, Description, engine);
        setFtdiDriver(&bus);
        const auto restore = qScopeGuard([] { setFtdiDriver(nullptr); });
        state.devId = usbDevId(QString::fromLatin1(Serial));
        DeviceConnection connection(state, prompts);
        QCOMPARE(connection.OpenDevice(), opened);
        QCOMPARE(prompts.shown.isEmpty(), opened);
        QCOMPARE(bus.resetCount(Serial), 1);
        QCOMPARE(bus.isOpen(Serial), opened);
        QCOMPARE(bus.baudRate(Serial), 9600u);
        if (opened)
            connection.CloseDevice();
    }

    void usbSecondOpenSkipsTheResetAndPurgesBeforeEveryCommand()
    {
        SimulatedFtdiBus bus;
        bus.attach(Serial, Description, std::make_shared<EncoderEngine>());
        setFtdiDriver(&bus);
        const auto restore = qScopeGuard([] { setFtdiDriver(nullptr); });
        state.devId = usbDevId(QString::fromLatin1(Serial));
        DeviceConnection connection(state, prompts);
        QVERIFY(connection.OpenDevice());
        connection.CloseDevice();
        const int purges = bus.purgeCount(Serial);
        QVERIFY(connection.OpenDevice());
        connection.SendCommand("PS?\r");
        QByteArray reply;
        QCOMPARE(connection.WaitReply({"OK"}, 1000, reply), 0);
        QVERIFY2(reply.contains("BREVOLAN"), reply.constData());
        connection.CloseDevice();
        QCOMPARE(bus.resetCount(Serial), 1);
        // The handshake CR and the query: two purges (RX, TX) each.
        QCOMPARE(bus.purgeCount(Serial) - purges, 4);
    }

    void usbUnplugMidWait()
    {
        SimulatedFtdiBus bus;
        bus.attach(Serial, Description, std::make_shared<EncoderEngine>());
        setFtdiDriver(&bus);
        const auto restore = qScopeGuard([] { setFtdiDriver(nullptr); });
        state.devId = usbDevId(QString::fromLatin1(Serial));
        DeviceConnection connection(state, prompts);
        QVERIFY(connection.OpenDevice());
        std::thread later([&] {
            QThread::msleep(200);
            bus.detach(Serial);
        });
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        const int got = connection.WaitReply({"NEVER"}, 0, reply);
        later.join();
        connection.CloseDevice();
        QCOMPARE(got, -1);
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestSimHandshake)
#include "sim_handshake.moc"
