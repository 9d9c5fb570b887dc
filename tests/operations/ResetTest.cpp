// The factory reset against the simulated encoder: the question, INIT, the
// device back at 9600 baud, SAVE, and the read that follows.

#include "OperationRig.h"

#include "common/BrevolanError.h"

#include <QTest>

using namespace brevolan;
using namespace brevolan::test;

namespace {
// A model (and an encoder) far from the factory settings.
void changeEverything(OperationRig &rig)
{
    rig.model.setText(Param::PI, QStringLiteral("54A8"));
    rig.model.setText(Param::PS, QStringLiteral("BEFORE"));
    rig.model.setIndex(Param::PTY, 7);
    rig.engine->setValue("PI", "1234");
    rig.engine->setValue("PS", "CUSTOM");
    rig.engine->setValue("PTY", "12");
}
} // namespace

class ResetTest : public QObject {
    Q_OBJECT
private slots:
    void init() { clearStore(); }
    void answeredNo();
    void serialFrom19200();
    void usbFrom38400();
    void saveUnanswered();
    void firstOpenFails();
    void reopenFailsUsb();
};

void ResetTest::answeredNo()
{
    OperationRig rig(Transport::Serial);
    changeEverything(rig);
    const ParameterSet before = rig.model.values();
    rig.prompts.confirmAnswers << false;
    rig.ops->miResetClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("confirm")),
             QStringList{QStringLiteral("Do you really want to restore factory setings of the encoder?")});
    QVERIFY(rig.commands().isEmpty());
    QCOMPARE(rig.model.values(), before);
    QCOMPARE(rig.ui.cursorCalls, 0);
    QVERIFY(rig.ui.progress.isEmpty());
}

// From 19200: DevID ends in 9600 in memory, in the store and in the panel;
// the encoder saved its factory settings; the fields show them after "Done.".
void ResetTest::serialFrom19200()
{
    OperationRig rig(Transport::Serial);
    changeEverything(rig);
    rig.engine->setValue("SPEED", "19200");
    rig.state.devId = serialDevId(rig.port(), QStringLiteral("19200"));
    rig.prompts.confirmAnswers << true;

    rig.ops->miResetClick();

    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    const QString devId = serialDevId(rig.port(), QStringLiteral("9600"));
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(Preferences().readDevId(), devId);
    QCOMPARE(rig.ui.deviceIdChanges, 1);
    QCOMPARE(rig.engine->lineSpeed(), 9600u);
    QCOMPARE(rig.engine->saveCount(), 1);
    QCOMPARE(rig.engine->storedValue("PS"), QByteArray("BREVOLAN"));
    QCOMPARE(rig.model.text(Param::PI), QStringLiteral("FFFF"));
    QCOMPARE(rig.model.text(Param::PS), QStringLiteral("BREVOLAN"));
    QCOMPARE(rig.model.index(Param::PTY), 0);
    QCOMPARE(rig.model.values().speedText(), QStringLiteral("9600"));
    // INIT, SAVE, then the read's 23 queries; no pause before the reopen.
    const QList<QByteArray> commands = rig.realCommands();
    QCOMPARE(commands.mid(0, 3), (QList<QByteArray>{"INIT", "SAVE", "PI?"}));
    QCOMPARE(commands.size(), 2 + ParameterCount);
    QVERIFY(rig.ui.pauses.isEmpty());
    QCOMPARE(rig.ui.cursorDepth, 0);
    QCOMPARE(rig.ui.lastProgress(), 0);
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->readBusy());
}

void ResetTest::usbFrom38400()
{
    OperationRig rig(Transport::Usb);
    changeEverything(rig);
    rig.engine->setValue("SPEED", "38400");
    rig.state.usbBaudRate = 38400;
    const QString devId = rig.state.devId;
    rig.prompts.confirmAnswers << true;

    rig.ops->miResetClick();

    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(rig.state.usbBaudRate, 9600);
    QCOMPARE(rig.bus->baudRate(UsbSerial), 9600u);
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(rig.ui.deviceIdChanges, 0);
    QCOMPARE(rig.engine->saveCount(), 1);
    QCOMPARE(rig.model.text(Param::PS), QStringLiteral("BREVOLAN"));
    QVERIFY(!rig.linkOpen());
}

// No "OK" for SAVE: "Can't save settings.", no read, the fields as they were,
// the device at 9600 all the same.
void ResetTest::saveUnanswered()
{
    OperationRig rig(Transport::Usb);
    changeEverything(rig);
    rig.engine->setValue("SPEED", "19200");
    rig.state.usbBaudRate = 19200;
    sim::EncoderFaults faults;
    faults.saveUnanswered = true;
    rig.engine->setFaults(faults);
    const ParameterSet before = rig.model.values();
    rig.prompts.confirmAnswers << true;
    try {
        rig.ops->miResetClick();
        QFAIL("no error");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("Can't save settings."));
    }
    QCOMPARE(rig.realCommands(), (QList<QByteArray>{"INIT", "SAVE"}));
    QCOMPARE(rig.model.values(), before);
    QCOMPARE(rig.state.usbBaudRate, 9600);
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    QVERIFY(!rig.linkOpen());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

// No encoder at all: the handshake's box is the only message; nothing is
// sent, changed or read.
void ResetTest::firstOpenFails()
{
    OperationRig rig(Transport::Serial);
    sim::EncoderFaults faults;
    faults.silent = true;
    rig.engine->setFaults(faults);
    const QString devId = rig.state.devId;
    rig.prompts.confirmAnswers << true;
    rig.ops->miResetClick();
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Brevolan 4 - Communications Error.")});
    QVERIFY(rig.realCommands().isEmpty());
    QCOMPARE(rig.state.devId, devId);
    QCOMPARE(rig.ui.deviceIdChanges, 0);
    QVERIFY(rig.ui.progress.isEmpty());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

// The encoder is gone after INIT: no SAVE; the USB rate goes back to what it
// was; the read still runs and fails to open the link on its own.
void ResetTest::reopenFailsUsb()
{
    OperationRig rig(Transport::Usb);
    rig.engine->setValue("SPEED", "38400");
    rig.state.usbBaudRate = 38400;
    sim::EncoderFaults faults;
    faults.unplugAfterCommands = 2;   // the handshake's CR and INIT
    rig.engine->setFaults(faults);
    rig.model.setText(Param::PS, QStringLiteral("BEFORE"));
    rig.prompts.confirmAnswers << true;
    rig.ops->miResetClick();
    QCOMPARE(rig.realCommands(), QList<QByteArray>{"INIT"});
    QCOMPARE(rig.state.usbBaudRate, 38400);
    QCOMPARE(rig.model.text(Param::PS), QStringLiteral("BEFORE"));
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    // The read ran: it reset the progress bar on its way in and out.
    QCOMPARE(rig.ui.progress, (QList<int>{0, 0}));
    QVERIFY(!rig.ops->readBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

QTEST_GUILESS_MAIN(ResetTest)
#include "ResetTest.moc"
