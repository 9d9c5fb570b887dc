#include "sim/EncoderEngine.h"

#include <QTest>

using brevolan::sim::EncoderEngine;
using brevolan::sim::EncoderFaults;
using brevolan::sim::EncoderReply;

Q_DECLARE_METATYPE(EncoderFaults)

class EncoderEngineTest : public QObject {
    Q_OBJECT
private slots:
    void protocol_data();
    void protocol();
    void commandSplitAcrossFeeds();
    void saveStoresCurrentValues();
    void initRestoresFactoryValuesAndSpeed();
    void speedSwitchesAfterItsOk();
    void unsupportedSpeedIsRejected();
    void overlongLineIsRejectedNotTruncated();
    void commandLogKeepsEveryCommand();
    void faults_data();
    void faults();
    void faultsLeaveValuesAlone();
    void replyDelayTravelsWithTheReply();
    void noiseAndGarbleCannotPassForReplies();
};

void EncoderEngineTest::protocol_data()
{
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("eol");
    QTest::addColumn<QByteArray>("before");   // fed first, replies ignored
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("handshake") << false << QByteArray("\r") << QByteArray() << QByteArray("\r") << QByteArray("NO\r");
    QTest::newRow("handshake, echo") << true << QByteArray("\r") << QByteArray() << QByteArray("\r") << QByteArray("\rNO\r");
    QTest::newRow("query factory PI") << false << QByteArray("\r") << QByteArray() << QByteArray("PI?\r") << QByteArray("FFFF\rOK\r");
    QTest::newRow("query factory PS") << false << QByteArray("\r") << QByteArray() << QByteArray("PS?\r") << QByteArray("BREVOLAN\rOK\r");
    QTest::newRow("query, echo") << true << QByteArray("\r") << QByteArray() << QByteArray("PTY?\r") << QByteArray("PTY?\r0\rOK\r");
    QTest::newRow("query empty DPS, echo") << true << QByteArray("\r") << QByteArray() << QByteArray("DPS?\r") << QByteArray("DPS?\r\rOK\r");
    QTest::newRow("set") << false << QByteArray("\r") << QByteArray() << QByteArray("PTY=5\r") << QByteArray("OK\r");
    QTest::newRow("set, echo") << true << QByteArray("\r") << QByteArray() << QByteArray("PI=1234\r") << QByteArray("PI=1234\rOK\r");
    QTest::newRow("set then query") << false << QByteArray("\r") << QByteArray("PS=HI THERE\r") << QByteArray("PS?\r") << QByteArray("HI THERE\rOK\r");
    QTest::newRow("raw value bytes") << false << QByteArray("\r") << QByteArray("TEXT= a=b \xe9 \r") << QByteArray("TEXT?\r") << QByteArray(" a=b \xe9 \rOK\r");
    QTest::newRow("set empty") << false << QByteArray("\r") << QByteArray("PS=\r") << QByteArray("PS?\r") << QByteArray("\rOK\r");
    QTest::newRow("SAVE") << false << QByteArray("\r") << QByteArray() << QByteArray("SAVE\r") << QByteArray("OK\r");
    QTest::newRow("INIT answers nothing") << true << QByteArray("\r") << QByteArray() << QByteArray("INIT\r") << QByteArray();
    QTest::newRow("REV") << false << QByteArray("\r") << QByteArray() << QByteArray("REV\r") << QByteArray("REV=1.23\r");
    QTest::newRow("REV, echo") << true << QByteArray("\r") << QByteArray() << QByteArray("REV\r") << QByteArray("REV\rREV=1.23\r");
    QTest::newRow("CR LF query") << false << QByteArray("\r\n") << QByteArray() << QByteArray("PI?\r") << QByteArray("FFFF\r\nOK\r\n");
    QTest::newRow("CR LF echo") << true << QByteArray("\r\n") << QByteArray() << QByteArray("MS?\r") << QByteArray("MS?\r\n1\r\nOK\r\n");
    QTest::newRow("sender's LF skipped") << false << QByteArray("\r") << QByteArray() << QByteArray("PI?\r\nMS?\r\n") << QByteArray("FFFF\rOK\r1\rOK\r");
    QTest::newRow("two commands in one burst") << false << QByteArray("\r") << QByteArray() << QByteArray("\rREV\r") << QByteArray("NO\rREV=1.23\r");
    QTest::newRow("unknown key query") << false << QByteArray("\r") << QByteArray() << QByteArray("FOO?\r") << QByteArray("NO\r");
    QTest::newRow("unknown key set") << true << QByteArray("\r") << QByteArray() << QByteArray("FOO=1\r") << QByteArray("FOO=1\rNO\r");
    QTest::newRow("keys are case-sensitive") << false << QByteArray("\r") << QByteArray() << QByteArray("pi?\r") << QByteArray("NO\r");
    QTest::newRow("no key before =") << false << QByteArray("\r") << QByteArray() << QByteArray("=5\r") << QByteArray("NO\r");
    QTest::newRow("ECHO=0 still echoed") << true << QByteArray("\r") << QByteArray() << QByteArray("ECHO=0\r") << QByteArray("ECHO=0\rOK\r");
    QTest::newRow("echo off after ECHO=0") << true << QByteArray("\r") << QByteArray("ECHO=0\r") << QByteArray("ECHO?\r") << QByteArray("0\rOK\r");
    QTest::newRow("incomplete line waits") << false << QByteArray("\r") << QByteArray() << QByteArray("PI?") << QByteArray();
}

void EncoderEngineTest::protocol()
{
    QFETCH(bool, echo);
    QFETCH(QByteArray, eol);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);
    EncoderEngine e;
    e.setValue("ECHO", echo ? "1" : "0");
    e.setLineEnding(eol);
    e.feed(before);
    QCOMPARE(e.feed(input), reply);
}

void EncoderEngineTest::commandSplitAcrossFeeds()
{
    EncoderEngine e;
    e.setValue("ECHO", "0");
    QCOMPARE(e.feed("P"), QByteArray());
    QCOMPARE(e.feed("S=AB"), QByteArray());
    QCOMPARE(e.feed("C\rPS"), QByteArray("OK\r"));
    QCOMPARE(e.feed("?\r"), QByteArray("ABC\rOK\r"));
}

void EncoderEngineTest::saveStoresCurrentValues()
{
    EncoderEngine e;
    e.feed("PS=NEWNAME\r");
    QCOMPARE(e.storedValue("PS"), QByteArray("BREVOLAN"));
    QCOMPARE(e.saveCount(), 0);
    QVERIFY(e.feed("SAVE\r").endsWith("OK\r"));
    QCOMPARE(e.storedValue("PS"), QByteArray("NEWNAME"));
    QCOMPARE(e.saveCount(), 1);
    e.feed("PS=LATER\r");
    QCOMPARE(e.storedValue("PS"), QByteArray("NEWNAME"));
}

void EncoderEngineTest::initRestoresFactoryValuesAndSpeed()
{
    EncoderEngine e;
    e.feed("PI=1234\rPTY=7\rECHO=0\rPS=OTHER\rAF3=12\rTEXT=hello\rSPEED=38400\r");
    QCOMPARE(e.lineSpeed(), 38400u);
    QCOMPARE(e.feed("SAVE\r"), QByteArray("OK\r"));
    QCOMPARE(e.feed("INIT\r"), QByteArray());
    for (const QByteArray &key : EncoderEngine::keys())
        QCOMPARE(e.value(key), EncoderEngine::factoryValue(key));
    QCOMPARE(e.value("PI"), QByteArray("FFFF"));
    QCOMPARE(e.value("MS"), QByteArray("1"));
    QCOMPARE(e.value("SPEED"), QByteArray("9600"));
    QCOMPARE(e.lineSpeed(), 9600u);
    QVERIFY(e.echo());
    // INIT alone does not store: the stored values stay until the next SAVE.
    QCOMPARE(e.storedValue("PI"), QByteArray("1234"));
}

void EncoderEngineTest::speedSwitchesAfterItsOk()
{
    EncoderEngine e;
    e.setValue("ECHO", "0");
    const QList<EncoderReply> replies = e.feedReplies("SPEED=115200\r");
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].bytes, QByteArray("OK\r"));
    QCOMPARE(replies[0].lineSpeed, 9600u);      // the OK still leaves at the old speed
    QCOMPARE(replies[0].speedAfter, 115200u);
    QCOMPARE(e.lineSpeed(), 115200u);
    QCOMPARE(e.value("SPEED"), QByteArray("115200"));

    // INIT answers nothing but still moves the line back to 9600.
    const QList<EncoderReply> init = e.feedReplies("INIT\r");
    QCOMPARE(init.size(), 1);
    QVERIFY(init[0].bytes.isEmpty());
    QCOMPARE(init[0].lineSpeed, 115200u);
    QCOMPARE(init[0].speedAfter, 9600u);
}

void EncoderEngineTest::unsupportedSpeedIsRejected()
{
    EncoderEngine e;
    e.setValue("ECHO", "0");
    for (const QByteArray &bad : {QByteArray("SPEED=12345\r"), QByteArray("SPEED=\r"), QByteArray("SPEED=fast\r")}) {
        QCOMPARE(e.feed(bad), QByteArray("NO\r"));
        QCOMPARE(e.lineSpeed(), 9600u);
        QCOMPARE(e.value("SPEED"), QByteArray("9600"));
    }
}

void EncoderEngineTest::overlongLineIsRejectedNotTruncated()
{
    EncoderEngine e;
    e.setValue("ECHO", "0");
    QCOMPARE(e.feed("TEXT=" + QByteArray(5000, 'x') + "\r"), QByteArray("NO\r"));
    QCOMPARE(e.value("TEXT"), QByteArray());
    // The next command is heard normally.
    QCOMPARE(e.feed("\r"), QByteArray("NO\r"));
    QCOMPARE(e.feed("TEXT=" + QByteArray(64, 'y') + "\r"), QByteArray("OK\r"));
}

void EncoderEngineTest::commandLogKeepsEveryCommand()
{
    EncoderEngine e;
    e.feed("\rPI?\rPS=A B\r\nFOO\r");
    QCOMPARE(e.commandLog(), (QList<QByteArray>{"", "PI?", "PS=A B", "FOO"}));
}

void EncoderEngineTest::faults_data()
{
    QTest::addColumn<EncoderFaults>("faults");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("unplugged");

    EncoderFaults f;
    QTest::newRow("none") << f << QByteArray("\rPI?\r") << QByteArray("NO\rFFFF\rOK\r") << false;
    f = {};
    f.silent = true;
    QTest::newRow("silent") << f << QByteArray("\rPI?\rREV\rSAVE\r") << QByteArray() << false;
    f = {};
    f.noHandshake = true;
    QTest::newRow("no handshake") << f << QByteArray("\r\r\rPI?\r") << QByteArray("FFFF\rOK\r") << false;
    f = {};
    f.handshakeFromCr = 3;
    QTest::newRow("handshake from 3rd CR") << f << QByteArray("\r\r\r\r") << QByteArray("NO\rNO\r") << false;
    QTest::newRow("handshake count restarts at INIT") << f << QByteArray("\r\r\rINIT\r\r\r")
                                                      << QByteArray("NO\r") << false;
    f = {};
    f.neverOkKey = "PS";
    QTest::newRow("never OK for PS") << f << QByteArray("PS=X\rPS?\rPI?\r") << QByteArray("FFFF\rOK\r") << false;
    f = {};
    f.neverOkKey = "SAVE";
    QTest::newRow("never OK for SAVE") << f << QByteArray("SAVE\rREV\r") << QByteArray("REV=1.23\r") << false;
    f.neverOkKey = "REV";
    QTest::newRow("no answer to REV") << f << QByteArray("REV\r\r") << QByteArray("NO\r") << false;
    f = {};
    f.saveUnanswered = true;
    QTest::newRow("SAVE unanswered") << f << QByteArray("SAVE\rPI?\r") << QByteArray("FFFF\rOK\r") << false;
    f = {};
    f.noise = true;
    QTest::newRow("noise drowns replies") << f << QByteArray("PI?\rSAVE\r") << QByteArray() << false;
    QTest::newRow("noise keeps the handshake") << f << QByteArray("\r") << QByteArray("NO\r") << false;
    f = {};
    f.unplugAfterCommands = 2;
    QTest::newRow("unplug after 2") << f << QByteArray("\rPI?\rMS?\r\r") << QByteArray("NO\rFFFF\rOK\r") << true;
    QTest::newRow("not yet unplugged") << f << QByteArray("\r") << QByteArray("NO\r") << false;
    f = {};
    f.unplugAfterCommands = 0;
    QTest::newRow("unplugged from the start") << f << QByteArray("\r") << QByteArray() << true;
}

void EncoderEngineTest::faults()
{
    QFETCH(EncoderFaults, faults);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);
    QFETCH(bool, unplugged);
    EncoderEngine e;
    e.setValue("ECHO", "0");
    e.setFaults(faults);
    QCOMPARE(e.feed(input), reply);
    QCOMPARE(e.unplugged(), unplugged);
    QCOMPARE(e.noisy(), faults.noise);
}

void EncoderEngineTest::faultsLeaveValuesAlone()
{
    EncoderEngine e;
    EncoderFaults f;
    f.neverOkKey = "PS";
    f.saveUnanswered = true;
    e.setFaults(f);
    e.feed("PS=SWALLOWED\rPI=1234\rSAVE\r");
    QCOMPARE(e.value("PS"), QByteArray("BREVOLAN"));
    QCOMPARE(e.value("PI"), QByteArray("1234"));
    QCOMPARE(e.saveCount(), 0);
    QCOMPARE(e.storedValue("PI"), QByteArray("FFFF"));

    // Once unplugged, nothing more is heard or logged.
    f = {};
    f.unplugAfterCommands = 1;
    e.setFaults(f);
    e.feed("PTY=3\rPTY=4\r");
    QCOMPARE(e.value("PTY"), QByteArray("3"));
    QCOMPARE(e.commandLog().last(), QByteArray("PTY=3"));
}

void EncoderEngineTest::replyDelayTravelsWithTheReply()
{
    EncoderEngine e;
    EncoderFaults f;
    f.replyDelayMs = 250;
    e.setFaults(f);
    const QList<EncoderReply> replies = e.feedReplies("\r");
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].delayMs, 250);
    QCOMPARE(replies[0].bytes, QByteArray("\rNO\r"));
}

void EncoderEngineTest::noiseAndGarbleCannotPassForReplies()
{
    const QByteArray noise = EncoderEngine::noiseBytes(20000);
    QCOMPARE(noise.size(), 20000);
    QVERIFY(!noise.contains("OK"));
    QVERIFY(!noise.contains("NO"));
    QVERIFY(!noise.contains("REV="));
    QVERIFY(noise.contains('\r'));

    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all.append(char(c));
    for (char c : EncoderEngine::garble(all))
        QVERIFY(quint8(c) >= 0x80);

    // Garbled input never completes a command.
    EncoderEngine e;
    QCOMPARE(e.feed(EncoderEngine::garble("\rPI?\r")), QByteArray());
    QVERIFY(e.commandLog().isEmpty());
}

QTEST_GUILESS_MAIN(EncoderEngineTest)
#include "EncoderEngineTest.moc"
