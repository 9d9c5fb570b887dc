// The protocol steps: reply parsing as a table, then the steps against the
// simulated encoder on both transports (timeouts, echo, leftovers).

#include "OperationRig.h"

#include "common/BrevolanError.h"
#include "operations/Protocol.h"

#include <QElapsedTimer>
#include <QTest>
#include <optional>

using namespace brevolan;
using namespace brevolan::test;

using OptionalText = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalText)

class ProtocolTest : public QObject {
    Q_OBJECT
private slots:
    void valueLine_data();
    void valueLine();
    void echoAwareQuery_data();
    void echoAwareQuery();
    void queryWithoutReply_data();
    void queryWithoutReply();
    void setParameterNoWaitReturnsAtOnce();
    void drainSwallowsLeftovers_data();
    void drainSwallowsLeftovers();
};

void ProtocolTest::valueLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("minimumLines");
    QTest::addColumn<OptionalText>("expected");

    const OptionalText none;
    QTest::newRow("value, CR LF line ends") << QByteArray("5\r\nOK\r\n") << 2 << OptionalText("5");
    QTest::newRow("echo line first") << QByteArray("PTY?\r5\rOK\r") << 2 << OptionalText("5");
    QTest::newRow("echo line first, echo-aware") << QByteArray("PTY?\r5\rOK\r") << 3 << OptionalText("5");
    QTest::newRow("echoed empty DPS, echo-aware") << QByteArray("DPS?\r\rOK\r") << 3 << none;
    QTest::newRow("echoed empty DPS, not echo-aware") << QByteArray("DPS?\r\rOK\r") << 2 << OptionalText("DPS?");
    QTest::newRow("echo off, two lines") << QByteArray("HELLO\rOK\r") << 2 << OptionalText("HELLO");
    QTest::newRow("OK alone") << QByteArray("OK\r") << 2 << none;
    QTest::newRow("OK without line end") << QByteArray("7\rOK") << 2 << OptionalText("7");
    QTest::newRow("blanks around lines") << QByteArray("  RADIO  ONE \r  OK \r") << 2
                                         << OptionalText("RADIO  ONE");
    QTest::newRow("control codes around lines") << QByteArray("\t\x01" "5\x7f\x02\rOK\r") << 2
                                                << OptionalText("5\x7f");
    QTest::newRow("leftover line ends in front") << QByteArray("\n\r\n\r5\rOK\r") << 2 << OptionalText("5");
    QTest::newRow("last line not OK") << QByteArray("5\rOK?\r") << 2 << none;
    QTest::newRow("ok in lower case") << QByteArray("5\rok\r") << 2 << none;
    QTest::newRow("nothing") << QByteArray() << 2 << none;
    QTest::newRow("only line ends") << QByteArray("\r\n\r") << 2 << none;
    QTest::newRow("Latin-1 value") << QByteArray("\xc9T\xc9\rOK\r") << 2 << OptionalText(QStringLiteral("ÉTÉ"));
    QTest::newRow("value line is the second-to-last") << QByteArray("A\rB\rC\rOK\r") << 2 << OptionalText("C");
}

void ProtocolTest::valueLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, minimumLines);
    QFETCH(OptionalText, expected);
    QCOMPARE(valueLineOf(reply, minimumLines), expected);
}

namespace {
void addTransports()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}
} // namespace

void ProtocolTest::echoAwareQuery_data() { addTransports(); }

// With the echo on an empty DPS answers "DPS?" and "OK": only the
// echo-aware query sees an empty value; with the echo off both see the value.
void ProtocolTest::echoAwareQuery()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    rig.engine->setValue("DPS", "");
    rig.engine->setValue("PS", "");
    QVERIFY(rig.link->OpenDevice());
    Protocol protocol(*rig.link, rig.model);
    protocol.DrainInput();

    rig.model.setIndex(Param::ECHO, 1);
    QCOMPARE(protocol.QueryParameter("DPS", true), QString());
    QCOMPARE(protocol.QueryParameter("DPS", false), QStringLiteral("DPS?"));
    QCOMPARE(protocol.QueryParameter("PS", true), QString());
    QCOMPARE(protocol.QueryParameter("PTY", false), QStringLiteral("0"));

    protocol.SetParameter("ECHO=0", timeouts::Parameter);
    rig.model.setIndex(Param::ECHO, 0);
    protocol.SetParameter("DPS=HELLO", timeouts::Parameter);
    QCOMPARE(protocol.QueryParameter("DPS", true), QStringLiteral("HELLO"));
    QCOMPARE(protocol.QueryParameter("DPS", false), QStringLiteral("HELLO"));
    rig.link->CloseDevice();
}

void ProtocolTest::queryWithoutReply_data() { addTransports(); }

void ProtocolTest::queryWithoutReply()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    sim::EncoderFaults faults;
    faults.neverOkKey = "PTY";
    rig.engine->setFaults(faults);
    QVERIFY(rig.link->OpenDevice());
    Protocol protocol(*rig.link, rig.model);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(protocol.queryValue("PTY", false), OptionalText());
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 3000);

    clock.restart();
    try {
        protocol.SetParameter("PTY=3", timeouts::Parameter);
        QFAIL("no OK, no error");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("Brevolan 4 - Communications Error."));
    }
    QVERIFY(clock.elapsed() >= 950);
    QVERIFY(clock.elapsed() < 3000);

    // The link still works for the next parameter.
    QCOMPARE(protocol.QueryParameter("MS", false), QStringLiteral("1"));
    rig.link->CloseDevice();
}

void ProtocolTest::setParameterNoWaitReturnsAtOnce()
{
    OperationRig rig(Transport::Serial);
    QVERIFY(rig.link->OpenDevice());
    sim::EncoderFaults faults;
    faults.replyDelayMs = 1500;
    rig.engine->setFaults(faults);
    Protocol protocol(*rig.link, rig.model);
    QElapsedTimer clock;
    clock.start();
    protocol.SetParameter("PTY=4", timeouts::Parameter, true);
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    rig.link->CloseDevice();
    QTRY_COMPARE(rig.engine->value("PTY"), QByteArray("4"));
}

void ProtocolTest::drainSwallowsLeftovers_data() { addTransports(); }

// A reply nobody waited for is gone after the drain, which always lasts its
// full time (longer over USB, where each one-byte read waits its time-out).
void ProtocolTest::drainSwallowsLeftovers()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    rig.engine->setValue("PS", "LEFTOVER");
    QVERIFY(rig.link->OpenDevice());
    rig.link->SendCommand("PS?\r");
    QTest::qWait(100);
    Protocol protocol(*rig.link, rig.model);
    QElapsedTimer clock;
    clock.start();
    protocol.DrainInput();
    QVERIFY2(clock.elapsed() >= 195, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 3000);
    rig.model.setIndex(Param::ECHO, 1);
    QCOMPARE(protocol.QueryParameter("PTY", false), QStringLiteral("0"));
    rig.link->CloseDevice();
}

QTEST_GUILESS_MAIN(ProtocolTest)
#include "ProtocolTest.moc"
