// An encoder that is unplugged (USB) or hangs up (serial) in the middle of a
// Read: the read must end with an error, not report "Done." over fields that
// the vanished encoder never answered for.

#include "OperationRig.h"

#include "common/BrevolanError.h"

#include <QElapsedTimer>
#include <QTest>

using namespace brevolan;
using namespace brevolan::test;

class TransportLossTest : public QObject {
    Q_OBJECT
private slots:
    void init() { clearStore(); }
    void lostDuringRead_data();
    void lostDuringRead();
};

void TransportLossTest::lostDuringRead_data()
{
    addTransportColumns();
    QTest::newRow("serial: the port hangs up") << Transport::Serial;
    QTest::newRow("usb: the encoder is unplugged") << Transport::Usb;
}

void TransportLossTest::lostDuringRead()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    rig.engine->setValue("PI", "54A8");
    rig.engine->setValue("PTY", "5");
    rig.model.setIndex(Param::TA, 1);
    rig.model.setText(Param::PS, QStringLiteral("BEFORE"));
    sim::EncoderFaults faults;
    faults.unplugAfterCommands = 3;   // the handshake's CR, PI? and PTY?
    rig.engine->setFaults(faults);

    QElapsedTimer timer;
    timer.start();
    QString error;
    try {
        rig.ops->ReadRDSBtnClick();
    } catch (const BrevolanError &e) {
        error = e.message();
    }
    QVERIFY2(!error.isEmpty(), "the read ended without an error");
    QCOMPARE(rig.prompts.texts(QStringLiteral("information")), QStringList());
    // What came before the loss stays; nothing after it was invented.
    QCOMPARE(rig.model.text(Param::PI), QStringLiteral("54A8"));
    QCOMPARE(rig.model.index(Param::PTY), 5);
    QCOMPARE(rig.model.index(Param::TA), 1);
    QCOMPARE(rig.model.text(Param::PS), QStringLiteral("BEFORE"));
    QVERIFY(!rig.linkOpen());
    QVERIFY(!rig.ops->readBusy());
    QCOMPARE(rig.ui.cursorDepth, 0);
    QCOMPARE(rig.ui.lastProgress(), 0);
    QVERIFY(timer.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(TransportLossTest)
#include "TransportLossTest.moc"
