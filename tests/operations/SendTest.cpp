// Send To Encoder against the simulated encoder on both transports: the
// parameters, the speed switch, SAVE, and every way it can fail.

#include "OperationRig.h"

#include "common/BrevolanError.h"

#include <QElapsedTimer>
#include <QTest>

using namespace brevolan;
using namespace brevolan::test;

namespace {
// Values that differ from the encoder's factory settings.
void fillModel(ParameterModel &model, const QString &speed)
{
    model.setText(Param::PI, QStringLiteral("54A8"));
    model.setIndex(Param::PTY, 10);
    model.setIndex(Param::TA, 1);
    model.setIndex(Param::ECHO, 0);
    model.setText(Param::DPS, QStringLiteral("NOW PLAYING"));
    model.setText(Param::TEXT, QString());
    model.setText(Param::PS, QStringLiteral("RADIO 1"));
    model.setIndex(Param::AF3, 42);
    model.selectSpeed(speed);
}

QString communicationsError() { return QStringLiteral("Brevolan 4 - Communications Error."); }

void expectCommunicationsError(EncoderOperations &ops)
{
    try {
        ops.SendToRDSBtnClick();
        QFAIL("no error");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), communicationsError());
    }
}
} // namespace

class SendTest : public QObject {
    Q_OBJECT
private slots:
    void init() { clearStore(); }
    void speedSwitchSerial_data();
    void speedSwitchSerial();
    void speedSwitchUsb();
    void timeoutOnTa_data();
    void timeoutOnTa();
    void reopenFails_data();
    void reopenFails();
    void saveUnanswered();
    void silentEncoder();
    void refusedBeforeSending_data();
    void refusedBeforeSending();
    void clickWhileBusy();
};

void SendTest::speedSwitchSerial_data()
{
    QTest::addColumn<QString>("speed");
    QTest::newRow("9600 to 115200") << QStringLiteral("115200");
    QTest::newRow("speed unchanged") << QStringLiteral("9600");
}

// The encoder hears SPEED at 9600 and switches; DevID follows at once, in
// memory, in the store and in the status panel; the link reopens at the new
// speed for SAVE.
void SendTest::speedSwitchSerial()
{
    QFETCH(QString, speed);
    OperationRig rig(Transport::Serial);
    fillModel(rig.model, speed);
    bool openDuringDone = false;
    int progressDuringDone = -1;
    rig.prompts.onInformation = [&](const QString &) {
        openDuringDone = rig.linkOpen();
        progressDuringDone = rig.ui.lastProgress();
    };

    rig.ops->SendToRDSBtnClick();

    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    const QString newDevId = serialDevId(rig.port(), speed);
    QCOMPARE(rig.state.devId, newDevId);
    QCOMPARE(Preferences().readDevId(), newDevId);
    QCOMPARE(rig.ui.deviceIdChanges, 1);
    QCOMPARE(rig.engine->lineSpeed(), speed.toUInt());
    QCOMPARE(rig.engine->saveCount(), 1);
    QCOMPARE(rig.engine->storedValue("SPEED"), speed.toLatin1());
    QCOMPARE(rig.engine->storedValue("PI"), QByteArray("54A8"));
    QCOMPARE(rig.engine->storedValue("PTY"), QByteArray("10"));
    QCOMPARE(rig.engine->storedValue("TEXT"), QByteArray());
    QCOMPARE(rig.engine->storedValue("AF3"), QByteArray("42"));
    QCOMPARE(rig.ui.pauses, QList<int>{500});

    QList<QByteArray> expected;
    for (const ParameterInfo &info : parameterTable())
        expected << QByteArray(info.key) + '=' + rig.model.values().wireValue(info.param);
    expected << "SAVE";
    QCOMPARE(rig.realCommands(), expected);
    QVERIFY(expected.contains("TEXT="));
    QVERIFY(expected.contains("SPEED=" + speed.toLatin1()));

    QList<int> progress{0};
    for (int i = 1; i <= ParameterCount; ++i)
        progress << i;
    progress << 0;
    QCOMPARE(rig.ui.progress, progress);
    QCOMPARE(progressDuringDone, 23);
    QVERIFY(openDuringDone);
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->sendBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

// Over USB the device gets the new rate for its next opening; DevID stays.
void SendTest::speedSwitchUsb()
{
    OperationRig rig(Transport::Usb);
    fillModel(rig.model, QStringLiteral("38400"));
    const QString devId = rig.state.devId;
    rig.ops->SendToRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(rig.state.usbBaudRate, 38400);
    QCOMPARE(rig.bus->baudRate(UsbSerial), 38400u);
    QCOMPARE(rig.engine->lineSpeed(), 38400u);
    QCOMPARE(rig.engine->saveCount(), 1);
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(rig.ui.deviceIdChanges, 0);
    QCOMPARE(Preferences().readDevId(), DefaultDevId);   // nothing stored
    QVERIFY(!rig.linkOpen());
}

void SendTest::timeoutOnTa_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}

// TA unanswered: PI, PTY and MS have gone out, then one error; nothing
// after it, no speed switch, DevID and the USB rate as they were.
void SendTest::timeoutOnTa()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    sim::EncoderFaults faults;
    faults.neverOkKey = "TA";
    rig.engine->setFaults(faults);
    fillModel(rig.model, QStringLiteral("115200"));
    const QString devId = rig.state.devId;

    expectCommunicationsError(*rig.ops);

    QCOMPARE(rig.realCommands(), (QList<QByteArray>{"PI=54A8", "PTY=10", "MS=1", "TA=1"}));
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(rig.state.usbBaudRate, 9600);
    QCOMPARE(rig.engine->lineSpeed(), 9600u);
    QCOMPARE(rig.engine->saveCount(), 0);
    QCOMPARE(rig.ui.deviceIdChanges, 0);
    QCOMPARE(rig.ui.lastProgress(), 0);
    QVERIFY(rig.ui.progress.contains(3));
    QVERIFY(!rig.ui.progress.contains(4));
    QVERIFY(rig.ui.pauses.isEmpty());
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->sendBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
}

void SendTest::reopenFails_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<bool>("unplug");
    QTest::newRow("serial, encoder silent after the switch") << Transport::Serial << false;
    QTest::newRow("usb, encoder silent after the switch") << Transport::Usb << false;
    QTest::newRow("usb, encoder unplugged during the pause") << Transport::Usb << true;
}

// After the switch the encoder does not come back: no SAVE, no "Done."; a
// serial DevID keeps the new speed, a USB device gets its old rate back.
void SendTest::reopenFails()
{
    QFETCH(Transport, transport);
    QFETCH(bool, unplug);
    OperationRig rig(transport);
    rig.state.usbBaudRate = 9600;
    fillModel(rig.model, QStringLiteral("57600"));
    rig.ui.onPause = [&] {
        if (unplug) {
            rig.bus->detach(UsbSerial);
        } else {
            sim::EncoderFaults faults;
            faults.silent = true;
            rig.engine->setFaults(faults);
        }
    };

    rig.ops->SendToRDSBtnClick();

    // A silent encoder shows the handshake's box; a device that does not
    // open shows nothing.
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")),
             unplug ? QStringList() : QStringList{communicationsError()});
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    QVERIFY(!rig.realCommands().contains("SAVE"));
    QCOMPARE(rig.engine->saveCount(), 0);
    if (transport == Transport::Serial) {
        QCOMPARE(rig.state.devId, serialDevId(rig.port(), QStringLiteral("57600")));
        QCOMPARE(Preferences().readDevId(), rig.state.devId);
    } else {
        QCOMPARE(rig.state.usbBaudRate, 9600);
    }
    QVERIFY(!rig.ops->sendBusy());
    QCOMPARE(rig.ui.lastProgress(), 0);
    QCOMPARE(rig.ui.cursorDepth, 0);
}

// SAVE unanswered within 5 s: the communications error; the switched speed
// stays; the link is closed.
void SendTest::saveUnanswered()
{
    OperationRig rig(Transport::Serial);
    sim::EncoderFaults faults;
    faults.saveUnanswered = true;
    rig.engine->setFaults(faults);
    fillModel(rig.model, QStringLiteral("19200"));
    QElapsedTimer clock;
    clock.start();
    expectCommunicationsError(*rig.ops);
    QVERIFY(clock.elapsed() >= 5000);
    QVERIFY(rig.realCommands().contains("SAVE"));
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    QCOMPARE(rig.state.devId, serialDevId(rig.port(), QStringLiteral("19200")));
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->sendBusy());
    QCOMPARE(rig.ui.lastProgress(), 0);
}

void SendTest::silentEncoder()
{
    OperationRig rig(Transport::Serial);
    sim::EncoderFaults faults;
    faults.silent = true;
    rig.engine->setFaults(faults);
    fillModel(rig.model, QStringLiteral("115200"));
    const QString devId = rig.state.devId;
    rig.ops->SendToRDSBtnClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList{communicationsError()});
    QVERIFY(rig.realCommands().isEmpty());
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(rig.ui.deviceIdChanges, 0);
    QVERIFY(!rig.ops->sendBusy());
    QCOMPARE(rig.ui.progress, (QList<int>{0, 0}));
}

void SendTest::refusedBeforeSending_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString noSpeed = EncoderOperations::noSpeedText();
    QTest::newRow("serial, no speed") << Transport::Serial << -1 << QString() << noSpeed;
    QTest::newRow("usb, no speed") << Transport::Usb << -1 << QString() << noSpeed;
    QTest::newRow("PS beyond Latin-1")
        << Transport::Serial << indexOf(Param::PS) << QStringLiteral("CAF\u20ac")
        << QStringLiteral("Cannot send PS: the character \"\u20ac\" has no single-byte (Latin-1) code.");
    QTest::newRow("TEXT with a line break")
        << Transport::Usb << indexOf(Param::TEXT) << QStringLiteral("A\rINIT")
        << QStringLiteral("Cannot send TEXT: it holds the control character 13, which the command line cannot carry.");
}

// Values that cannot go out as they are: refused before the link is even
// opened; DevID never stored without a valid speed.
void SendTest::refusedBeforeSending()
{
    QFETCH(Transport, transport);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    OperationRig rig(transport);
    fillModel(rig.model, QStringLiteral("9600"));
    if (field < 0)
        rig.model.setIndex(Param::SPEED, -1);
    else
        rig.model.setText(paramAt(field), text);
    const QString devId = rig.state.devId;
    try {
        rig.ops->SendToRDSBtnClick();
        QFAIL("no refusal");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), message);
    }
    QVERIFY(rig.commands().isEmpty());
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(Preferences().readDevId(), DefaultDevId);
    QCOMPARE(rig.state.usbBaudRate, 9600);
    QVERIFY(!rig.ops->sendBusy());
    QVERIFY(rig.ui.progress.isEmpty());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

void SendTest::clickWhileBusy()
{
    OperationRig rig(Transport::Usb);
    fillModel(rig.model, QStringLiteral("9600"));
    qsizetype commandsInBox = -1;
    qsizetype progressInBox = -1;
    rig.prompts.onInformation = [&](const QString &) {
        const qsizetype commands = rig.commands().size();
        const qsizetype progress = rig.ui.progress.size();
        rig.ops->SendToRDSBtnClick();
        QTest::qWait(100);
        commandsInBox = rig.commands().size() - commands;
        progressInBox = rig.ui.progress.size() - progress;
    };
    rig.ops->SendToRDSBtnClick();
    QCOMPARE(commandsInBox, 0);
    QCOMPARE(progressInBox, 0);
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")).size(), 1);
    QCOMPARE(rig.engine->saveCount(), 1);
    QVERIFY(!rig.ops->sendBusy());
}

QTEST_GUILESS_MAIN(SendTest)
#include "SendTest.moc"
