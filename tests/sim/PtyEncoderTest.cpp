#include "SerialClient.h"
#include "sim/PtyEncoder.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTest>

using brevolan::sim::EncoderEngine;
using brevolan::sim::EncoderFaults;
using brevolan::sim::PtyEncoder;
using namespace simtest;

class PtyEncoderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void handshakeAndQuery();
    void portClosedAndReopenedBetweenOperations();
    void applicationSpeedIsSeenOnTheMaster();
    void speedSwitchNeedsReopenAtNewSpeed();
    void wrongSpeedHearsOnlyGarbage();
    void lastCommandBeforeCloseIsHeard();
    void repliesArePacedAtTheLineSpeed();
    void replyDelay();
    void noiseNeverEndsInOk();
    void hangUpIsSeenByTheApplication();
    void unplugFaultHangsUpAfterNCommands();

private:
    std::unique_ptr<PtyEncoder> m_pty;
    std::shared_ptr<EncoderEngine> m_engine;
};

void PtyEncoderTest::init()
{
    m_engine = std::make_shared<EncoderEngine>();
    m_engine->setValue("ECHO", "0");
    m_pty = std::make_unique<PtyEncoder>(m_engine);
    QString error;
    QVERIFY2(m_pty->start(&error), qPrintable(error));
    QVERIFY(QFileInfo::exists(m_pty->slavePath()));
}

void PtyEncoderTest::cleanup()
{
    m_pty.reset();
}

void PtyEncoderTest::handshakeAndQuery()
{
    QSerialPort port;
    QVERIFY2(openPort(port, m_pty->slavePath(), 9600), qPrintable(port.errorString()));
    QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
    QCOMPARE(exchange(port, "PS?\r", "OK\r"), QByteArray("BREVOLAN\rOK\r"));
    QCOMPARE(exchange(port, "PS=RADIO 1\r", "OK\r"), QByteArray("OK\r"));
    QCOMPARE(m_engine->value("PS"), QByteArray("RADIO 1"));
}

void PtyEncoderTest::portClosedAndReopenedBetweenOperations()
{
    for (int round = 0; round < 3; ++round) {
        QSerialPort port;
        QVERIFY(openPort(port, m_pty->slavePath(), 9600));
        QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
        port.close();
    }
    QCOMPARE(m_engine->commandLog().size(), 3);
}

void PtyEncoderTest::applicationSpeedIsSeenOnTheMaster()
{
    QCOMPARE(m_pty->applicationSpeed(), 9600u);
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 115200));
    QCOMPARE(m_pty->applicationSpeed(), 115200u);
    port.setBaudRate(12345);   // a custom rate (BOTHER) reads back as well
    QCOMPARE(m_pty->applicationSpeed(), 12345u);
}

void PtyEncoderTest::speedSwitchNeedsReopenAtNewSpeed()
{
    {
        QSerialPort port;
        QVERIFY(openPort(port, m_pty->slavePath(), 9600));
        QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
        // The OK still comes at 9600 ...
        QCOMPARE(exchange(port, "SPEED=115200\r", "OK\r"), QByteArray("OK\r"));
        // ... and then the encoder no longer understands 9600.
        const QByteArray heard = exchange(port, "\r", "NO", 300);
        QVERIFY(!heard.contains("NO"));
        QVERIFY(allGarbage(heard));
    }
    QCOMPARE(m_engine->lineSpeed(), 115200u);
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 115200));
    // What the encoder heard at 9600 may still precede the first CR: the
    // application's handshake retries cover that, as on a real line.
    QByteArray heard = exchange(port, "\r", "NO", 300);
    if (!heard.contains("NO"))
        heard = exchange(port, "\r", "NO", 300);
    QVERIFY(heard.endsWith("NO\r"));
    QCOMPARE(exchange(port, "SPEED?\r", "OK\r"), QByteArray("115200\rOK\r"));
}

void PtyEncoderTest::wrongSpeedHearsOnlyGarbage()
{
    m_engine->setValue("ECHO", "1");
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 19200));
    // Right at a speed change the encoder gives the benefit of the doubt
    // (the bytes may have left before it); past that, nothing is understood.
    QThread::msleep(50);
    QCOMPARE(exchange(port, "\rPI?\r", "NO", 300), QByteArray());
    QVERIFY(m_engine->commandLog().isEmpty());
    port.close();

    // The encoder set to 38400 sends garbage to a port at 9600 too.
    m_engine->reset();
    m_engine->setValue("SPEED", "38400");
    QVERIFY(openPort(port, m_pty->slavePath(), 38400));
    QVERIFY(exchange(port, "\r", "NO\r", 300).endsWith("NO\r"));
    EncoderFaults slow;
    slow.replyDelayMs = 200;
    m_engine->setFaults(slow);
    port.write("\r");
    port.waitForBytesWritten(500);
    QThread::msleep(50);
    port.setBaudRate(9600);   // before the encoder answers, at 38400
    const QByteArray heard = readUntil(port, "NO", 600);
    QCOMPARE(heard.size(), 4);   // echo, "NO", line ends
    QVERIFY(allGarbage(heard));
}

void PtyEncoderTest::lastCommandBeforeCloseIsHeard()
{
    // The application sends SPEED=n and closes at once; closing restores the
    // port's resting speed (9600 here), which must not spoil the bytes that
    // already left at the old speed.
    for (int round = 0; round < 5; ++round) {
        m_engine->setValue("SPEED", "1200");
        QSerialPort port;
        QVERIFY(openPort(port, m_pty->slavePath(), 1200));
        QThread::msleep(30);
        QVERIFY(exchange(port, "\r", "NO\r").endsWith("NO\r"));
        port.write("SPEED=9600\r");
        QVERIFY(port.waitForBytesWritten(500));
        port.close();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->lineSpeed(), 9600u, 1000);
    }
}

void PtyEncoderTest::repliesArePacedAtTheLineSpeed()
{
    // 200 value bytes plus "\rOK\r" at 9600 baud: about 212 ms on the line.
    m_engine->setValue("TEXT", QByteArray(200, 'x'));
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 9600));
    QElapsedTimer t;
    t.start();
    QVERIFY(exchange(port, "TEXT?\r", "OK\r", 3000).endsWith("OK\r"));
    QVERIFY2(t.elapsed() >= 180, qPrintable(QString::number(t.elapsed())));

    m_pty->setPaced(false);
    t.restart();
    QVERIFY(exchange(port, "TEXT?\r", "OK\r", 3000).endsWith("OK\r"));
    QVERIFY2(t.elapsed() < 180, qPrintable(QString::number(t.elapsed())));
}

void PtyEncoderTest::replyDelay()
{
    EncoderFaults f;
    f.replyDelayMs = 400;
    m_engine->setFaults(f);
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 9600));
    QElapsedTimer t;
    t.start();
    QCOMPARE(exchange(port, "\r", "NO", 200), QByteArray());   // not yet
    QCOMPARE(readUntil(port, "NO\r", 2000), QByteArray("NO\r"));
    QVERIFY(t.elapsed() >= 390);
}

void PtyEncoderTest::noiseNeverEndsInOk()
{
    EncoderFaults f;
    f.noise = true;
    m_engine->setFaults(f);
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 9600));
    const QByteArray heard = exchange(port, "PI?\r", "OK", 400);
    QVERIFY(!heard.contains("OK"));
    QVERIFY2(heard.size() > 100, qPrintable(QString::number(heard.size())));   // ~1 byte/ms
    // The noise goes on after the reply would have ended.
    QVERIFY(readUntil(port, "OK", 200).size() > 50);
}

void PtyEncoderTest::hangUpIsSeenByTheApplication()
{
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 9600));
    QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
    const QString path = m_pty->slavePath();
    m_pty->hangUp();
    QElapsedTimer t;
    t.start();
    QVERIFY(!port.waitForReadyRead(2000));
    QVERIFY(t.elapsed() < 1500);
    QVERIFY(port.error() != QSerialPort::TimeoutError);
    port.close();
    QVERIFY(!m_pty->isServing());
    QVERIFY(!QFileInfo::exists(path));
}

void PtyEncoderTest::unplugFaultHangsUpAfterNCommands()
{
    EncoderFaults f;
    f.unplugAfterCommands = 2;
    m_engine->setFaults(f);
    QSerialPort port;
    QVERIFY(openPort(port, m_pty->slavePath(), 9600));
    QCOMPARE(exchange(port, "\r", "NO\r"), QByteArray("NO\r"));
    QCOMPARE(exchange(port, "MS?\r", "OK\r"), QByteArray("1\rOK\r"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_pty->isServing(), 2000);
    port.write("PI?\r");
    QVERIFY(!port.waitForReadyRead(500) && port.error() != QSerialPort::TimeoutError);
}

QTEST_GUILESS_MAIN(PtyEncoderTest)
#include "PtyEncoderTest.moc"
