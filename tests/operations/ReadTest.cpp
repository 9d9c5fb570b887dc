// Read From Encoder against the simulated encoder on both transports.

#include "OperationRig.h"

#include "common/BrevolanError.h"
#include "model/ValueLists.h"

#include <QElapsedTimer>
#include <QTest>

using namespace brevolan;
using namespace brevolan::test;

namespace {
QList<QByteArray> queriesInOrder()
{
    QList<QByteArray> out;
    for (const ParameterInfo &info : parameterTable())
        out << QByteArray(info.key) + '?';
    return out;
}

// A model that differs from the encoder's factory values everywhere it can.
void fillModel(ParameterModel &model)
{
    model.setText(Param::PI, QStringLiteral("ABCD"));
    model.setIndex(Param::PTY, 9);
    model.setIndex(Param::MS, 0);
    model.setText(Param::PS, QStringLiteral("BEFORE"));
    model.setText(Param::DPS, QStringLiteral("OLD DPS"));
    model.selectSpeed(QStringLiteral("38400"));
}
} // namespace

class ReadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { clearStore(); }
    void fullRead_data();
    void fullRead();
    void emptyTextsWithEcho_data();
    void emptyTextsWithEcho();
    void valuesOutsideTheLists();
    void silentEncoder_data();
    void silentEncoder();
    void piUnanswered_data();
    void piUnanswered();
    void piNotHexadecimal();
    void laterTimeoutDoesNotStopTheRead();
    void clickWhileBusy();
};

void ReadTest::fullRead_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("eol");
    QTest::newRow("serial, echo on") << Transport::Serial << true << QByteArray("\r");
    QTest::newRow("serial, echo off, CR LF") << Transport::Serial << false << QByteArray("\r\n");
    QTest::newRow("usb, echo on, CR LF") << Transport::Usb << true << QByteArray("\r\n");
    QTest::newRow("usb, echo off") << Transport::Usb << false << QByteArray("\r");
}

void ReadTest::fullRead()
{
    QFETCH(Transport, transport);
    QFETCH(bool, echo);
    QFETCH(QByteArray, eol);
    OperationRig rig(transport);
    sim::EncoderEngine &e = *rig.engine;
    e.setLineEnding(eol);
    e.setValue("ECHO", echo ? "1" : "0");
    e.setValue("PI", "54A8");            // WAAA
    e.setValue("PTY", "5");
    e.setValue("MS", "0");
    e.setValue("TA", "1");
    e.setValue("PARSE", "7");
    e.setValue("DPSS", "9");
    e.setValue("DRTS", "$3");            // read as an integer, hexadecimal too
    e.setValue("TP", "1");
    e.setValue("DI", "1");
    e.setValue("DPS", "  NOW PLAYING  ");
    e.setValue("TEXT", " Radio  Text ");
    e.setValue("PS", "\tRADIO 1 ");
    for (int i = 1; i <= 9; ++i)
        e.setValue("AF" + QByteArray::number(i), QByteArray::number(10 * i));
    // The line speed stays 9600 unless SPEED itself is answered otherwise.
    QList<Param> taSignals;
    connect(&rig.model, &ParameterModel::parameterChanged, this, [&](Param p) {
        if (p == Param::TA)
            taSignals << p;
    });
    bool openDuringDone = false;
    int progressDuringDone = -1;
    rig.prompts.onInformation = [&](const QString &) {
        openDuringDone = rig.linkOpen();
        progressDuringDone = rig.ui.lastProgress();
    };

    rig.ops->ReadRDSBtnClick();

    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    const ParameterModel &m = rig.model;
    QCOMPARE(m.text(Param::PI), QStringLiteral("54A8"));
    QCOMPARE(m.callLetters(), QStringLiteral("WAAA"));
    QCOMPARE(m.index(Param::PTY), 5);
    QCOMPARE(m.index(Param::MS), 0);
    QCOMPARE(m.index(Param::TA), 1);
    QCOMPARE(m.index(Param::PARSE), 7);
    QCOMPARE(m.index(Param::DPSS), 9);
    QCOMPARE(m.index(Param::DRTS), 3);
    QCOMPARE(m.index(Param::TP), 1);
    QCOMPARE(m.index(Param::DI), 1);
    QCOMPARE(m.index(Param::ECHO), echo ? 1 : 0);
    QCOMPARE(m.text(Param::DPS), QStringLiteral("NOW PLAYING"));
    QCOMPARE(m.text(Param::TEXT), QStringLiteral("Radio  Text"));
    QCOMPARE(m.text(Param::PS), QStringLiteral("RADIO 1"));
    for (int i = 1; i <= 9; ++i)
        QCOMPARE(m.index(paramAt(indexOf(Param::AF1) + i - 1)), 10 * i);
    QCOMPARE(m.values().speedText(), QStringLiteral("9600"));
    QVERIFY(!taSignals.isEmpty());   // the window recolours TA on this signal

    // Handshake, then the 23 queries in the parameter order.
    QCOMPARE(rig.realCommands(), queriesInOrder());
    // One step per parameter; "Done." at 23 of 23 with the link open; 0 after.
    QList<int> expected{0};
    for (int i = 1; i <= ParameterCount; ++i)
        expected << i;
    expected << 0;
    QCOMPARE(rig.ui.progress, expected);
    QCOMPARE(progressDuringDone, 23);
    QVERIFY(openDuringDone);
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->readBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
    QVERIFY(rig.ui.cursorCalls > 0);
}

void ReadTest::emptyTextsWithEcho_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}

// With the echo on, an empty DPS, TEXT or PS answers only the echoed command
// and "OK": the fields become empty, never "DPS?", "TEXT?" or "PS?".
void ReadTest::emptyTextsWithEcho()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    rig.engine->setValue("ECHO", "1");
    rig.engine->setValue("DPS", "");
    rig.engine->setValue("TEXT", "");
    rig.engine->setValue("PS", "");
    fillModel(rig.model);
    rig.model.setIndex(Param::ECHO, 0);   // the encoder's ECHO is read first
    rig.ops->ReadRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(rig.model.text(Param::DPS), QString());
    QCOMPARE(rig.model.text(Param::TEXT), QString());
    QCOMPARE(rig.model.text(Param::PS), QString());
}

// PTY 40 and SPEED 1200 (an encoder running at 1200 baud) are in no list:
// no entry selected. The PTY then goes out as "-1" on the next Send; the
// missing speed stops the Send before it sends anything.
void ReadTest::valuesOutsideTheLists()
{
    OperationRig rig(Transport::Serial);
    rig.engine->setValue("PTY", "40");
    rig.engine->setValue("SPEED", "1200");
    rig.state.devId = serialDevId(rig.port(), QStringLiteral("1200"));
    rig.engine->setValue("MS", "not a number");
    rig.ops->ReadRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(rig.model.index(Param::PTY), -1);
    QCOMPARE(rig.model.index(Param::SPEED), -1);
    QCOMPARE(rig.model.index(Param::MS), 0);

    const qsizetype before = rig.commands().size();
    try {
        rig.ops->SendToRDSBtnClick();
        QFAIL("sent without a speed");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), EncoderOperations::noSpeedText());
    }
    QCOMPARE(rig.commands().size(), before);
    QVERIFY(!rig.ops->sendBusy());

    rig.model.selectSpeed(QStringLiteral("9600"));
    rig.ops->SendToRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QVERIFY(rig.realCommands().contains("PTY=-1"));
    QCOMPARE(rig.engine->storedValue("PTY"), QByteArray("-1"));
    QCOMPARE(rig.state.devId, serialDevId(rig.port(), QStringLiteral("9600")));
}

void ReadTest::silentEncoder_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}

void ReadTest::silentEncoder()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    sim::EncoderFaults faults;
    faults.silent = true;
    rig.engine->setFaults(faults);
    fillModel(rig.model);
    const ParameterSet before = rig.model.values();

    QElapsedTimer clock;
    clock.start();
    rig.ops->ReadRDSBtnClick();
    QVERIFY(clock.elapsed() < 5000);

    QCOMPARE(rig.prompts.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Brevolan 4 - Communications Error.")});
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    QCOMPARE(rig.model.values(), before);
    QCOMPARE(rig.ui.progress, (QList<int>{0, 0}));
    QCOMPARE(rig.ui.cursorDepth, 0);
    QVERIFY(!rig.ops->readBusy());
    QVERIFY(!rig.linkOpen());
    QVERIFY(rig.realCommands().isEmpty());
}

void ReadTest::piUnanswered_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}

void ReadTest::piUnanswered()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    sim::EncoderFaults faults;
    faults.neverOkKey = "PI";
    rig.engine->setFaults(faults);
    fillModel(rig.model);
    const QString callBefore = rig.model.callLetters();
    try {
        rig.ops->ReadRDSBtnClick();
        QFAIL("no error");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("Brevolan 4 - Communications Error."));
    }
    QCOMPARE(rig.model.text(Param::PI), QString());
    QCOMPARE(rig.model.index(Param::PTY), 9);
    QCOMPARE(rig.model.text(Param::PS), QStringLiteral("BEFORE"));
    QCOMPARE(rig.model.callLetters(), callBefore);
    QCOMPARE(rig.realCommands(), QList<QByteArray>{"PI?"});
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->readBusy());
    QCOMPARE(rig.ui.lastProgress(), 0);
    QCOMPARE(rig.ui.cursorDepth, 0);
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
}

void ReadTest::piNotHexadecimal()
{
    OperationRig rig(Transport::Serial);
    rig.engine->setValue("PI", "XY12");
    try {
        rig.ops->ReadRDSBtnClick();
        QFAIL("no error");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("'$XY12' is not a valid integer value"));
    }
    QCOMPARE(rig.model.text(Param::PI), QStringLiteral("XY12"));
    QCOMPARE(rig.realCommands(), QList<QByteArray>{"PI?"});
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->readBusy());
}

// A query that times out later on leaves its field at its fallback and the
// read goes on to "Done.".
void ReadTest::laterTimeoutDoesNotStopTheRead()
{
    OperationRig rig(Transport::Serial);
    sim::EncoderFaults faults;
    faults.neverOkKey = "PTY";
    rig.engine->setFaults(faults);
    rig.model.setIndex(Param::PTY, 9);
    rig.ops->ReadRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(rig.model.index(Param::PTY), 0);
    QCOMPARE(rig.realCommands().size(), ParameterCount);
}

// A click that reaches the handler while its "Done." box is open returns at
// once: nothing sent, progress untouched.
void ReadTest::clickWhileBusy()
{
    OperationRig rig(Transport::Serial);
    qsizetype commandsInBox = -1;
    qsizetype progressInBox = -1;
    bool busyInBox = false;
    rig.prompts.onInformation = [&](const QString &) {
        busyInBox = rig.ops->readBusy();
        const qsizetype commands = rig.commands().size();
        const qsizetype progress = rig.ui.progress.size();
        rig.ops->ReadRDSBtnClick();
        QTest::qWait(100);
        commandsInBox = rig.commands().size() - commands;
        progressInBox = rig.ui.progress.size() - progress;
    };
    rig.ops->ReadRDSBtnClick();
    QVERIFY(busyInBox);
    QCOMPARE(commandsInBox, 0);
    QCOMPARE(progressInBox, 0);
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")).size(), 1);
    QVERIFY(!rig.ops->readBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

QTEST_GUILESS_MAIN(ReadTest)
#include "ReadTest.moc"
