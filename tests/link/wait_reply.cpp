#include "LinkFixture.h"

#include "link/ReplyMatch.h"
#include "link/Termination.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>

using namespace brevolan;
using brevolan::test::LinkFixture;

using Texts = QList<QByteArray>;

namespace {

// Never sent by the stand-ins: reads whatever is left until the timeout.
const Texts Nothing{QByteArray("\x01\x02")};

void addTransports()
{
    QTest::addColumn<QString>("transport");
    QTest::newRow("serial") << "serial";
    QTest::newRow("usb") << "usb";
}

} // namespace

class TestWaitReply : public QObject {
    Q_OBJECT
private slots:
    void matchPosition_data()
    {
        QTest::addColumn<Texts>("expected");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("position");
        QTest::newRow("none") << Texts{"OK"} << QByteArray("ok") << -1;
        QTest::newRow("anywhere") << Texts{"OK"} << QByteArray("xxOKyy") << 0;
        QTest::newRow("list order wins") << Texts{"NO", "OK"} << QByteArray("OK NO") << 0;
        QTest::newRow("second") << Texts{"A", "NO"} << QByteArray("NO") << 1;
        QTest::newRow("empty text never matches") << Texts{"", "K"} << QByteArray("OK") << 1;
        QTest::newRow("empty list") << Texts{} << QByteArray("OK") << -1;
    }
    void matchPosition()
    {
        QFETCH(Texts, expected);
        QFETCH(QByteArray, reply);
        QFETCH(int, position);
        QCOMPARE(matchExpected(reply, expected), position);
    }

    // What arrives before the call, what the call answers, and what stays
    // in the transport for the next call.
    void contract_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Texts>("expected");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("leftover");
        for (const char *t : {"serial", "usb"}) {
            const auto row = [t](const char *name) -> QTestData & { return QTest::addRow("%s: %s", t, name); };
            row("position in the list") << t << QByteArray("NO OK") << Texts{"OK", "NO"} << 1000 << 1
                                        << QByteArray("NO") << QByteArray(" OK");
            row("(OK, O) fed O") << t << QByteArray("O") << Texts{"OK", "O"} << 1000 << 1 << QByteArray("O")
                                 << QByteArray();
            row("(OK, O) fed OK") << t << QByteArray("OK") << Texts{"OK", "O"} << 1000 << 1
                                  << QByteArray("O") << QByteArray("K");
            row("NUL in the middle") << t << QByteArray("O\0K", 3) << Texts{"OK"} << 1000 << 0
                                     << QByteArray("OK") << QByteArray();
            row("value line then OK") << t << QByteArray("PS=RADIO 1\r\nOK\r\n") << Texts{"OK"} << 1000 << 0
                                      << QByteArray("PS=RADIO 1\r\nOK") << QByteArray("\r\n");
            row("case-sensitive") << t << QByteArray("ok\r") << Texts{"OK"} << 300 << -1
                                  << QByteArray("ok\r") << QByteArray();
            row("empty text only") << t << QByteArray("abc") << Texts{""} << 300 << -1 << QByteArray("abc")
                                   << QByteArray();
            row("empty list") << t << QByteArray("OK") << Texts{} << 1000 << -1 << QByteArray()
                              << QByteArray("OK");
            row("NO inside a longer line") << t << QByteArray("UNKNOWN\r") << Texts{"NO"} << 200 << 0
                                           << QByteArray("UNKNO") << QByteArray("WN\r");
        }
    }
    void contract()
    {
        QFETCH(QString, transport);
        QFETCH(QByteArray, input);
        QFETCH(Texts, expected);
        QFETCH(int, timeout);
        QFETCH(int, result);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, leftover);
        LinkFixture link(transport);
        if (!link.serial)
            SetFTTimeouts(100, 100);   // shorter silent reads keep the table quick
        link.feed(input);
        QByteArray got("stale");
        QCOMPARE(link.connection.WaitReply(expected, timeout, got), result);
        QCOMPARE(got, reply);
        QByteArray rest;
        QCOMPARE(link.connection.WaitReply(Nothing, 100, rest), -1);
        QCOMPARE(rest, leftover);
    }

    void emptyListReturnsAtOnce_data() { addTransports(); }
    void emptyListReturnsAtOnce()
    {
        QFETCH(QString, transport);
        LinkFixture link(transport);
        QByteArray reply("stale");
        QElapsedTimer t;
        t.start();
        QCOMPARE(link.connection.WaitReply({}, 0, reply), -1);
        QVERIFY(t.elapsed() < 100);
        QVERIFY(reply.isEmpty());
    }

    void silenceEndsAtTheTimeout_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<int>("atLeast");
        QTest::addColumn<int>("below");
        QTest::newRow("serial") << "serial" << 300 << 400;
        // Each read waits for its 500 ms time-out before the clock is looked at.
        QTest::newRow("usb") << "usb" << 500 << 700;
    }
    void silenceEndsAtTheTimeout()
    {
        QFETCH(QString, transport);
        QFETCH(int, atLeast);
        QFETCH(int, below);
        LinkFixture link(transport);
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        QCOMPARE(link.connection.WaitReply({"OK"}, 300, reply), -1);
        const qint64 took = t.elapsed();
        QVERIFY2(took >= atLeast - 1 && took < below, qPrintable(QString::number(took)));
        QVERIFY(reply.isEmpty());
    }

    // A steady stream without the expected text: bursts never skip the clock
    // for more than 10 characters, so the timeout still ends the wait.
    void endlessStreamIsCutByTheTimeout_data() { addTransports(); }
    void endlessStreamIsCutByTheTimeout()
    {
        QFETCH(QString, transport);
        LinkFixture link(transport);
        std::atomic<bool> stop{false};
        std::thread talker;
        if (link.serial) {
            talker = std::thread([&] {
                while (!stop) {
                    link.peer.send(QByteArray(32, 'x'));
                    QThread::msleep(1);
                }
            });
        } else {
            link.feed(QByteArray(200000, 'x'));
        }
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        const int result = link.connection.WaitReply({"OK"}, 250, reply);
        const qint64 took = t.elapsed();
        stop = true;
        if (talker.joinable())
            talker.join();
        QCOMPARE(result, -1);
        QVERIFY2(took >= 249 && took < 1500, qPrintable(QString::number(took)));
        QVERIFY(reply.size() > 10);
        QCOMPARE(reply.count('x'), reply.size());
    }

    // Without a time limit only a match, the loss of the transport or the
    // end of the application ends the wait.
    void timeoutZero_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("result");
        for (const char *t : {"serial", "usb"}) {
            QTest::addRow("%s: match", t) << t << "match" << 0;
            QTest::addRow("%s: encoder gone", t) << t << "gone" << -1;
            QTest::addRow("%s: terminating", t) << t << "terminate" << -1;
        }
    }
    void timeoutZero()
    {
        QFETCH(QString, transport);
        QFETCH(QString, ending);
        QFETCH(int, result);
        LinkFixture link(transport);
        std::thread later([&] {
            QThread::msleep(300);
            if (ending == QLatin1String("match"))
                link.feed("OK");
            else if (ending == QLatin1String("gone"))
                link.vanish();
            else
                requestTermination();
        });
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        const int got = link.connection.WaitReply({"OK"}, 0, reply);
        const qint64 took = t.elapsed();
        later.join();
        clearTerminationRequest();
        QCOMPARE(got, result);
        // The USB read waits up to its 500 ms time-out before looking again.
        QVERIFY2(took >= 290 && took < 3000, qPrintable(QString::number(took)));
    }

    void vanishedEncoderEndsATimedWait_data() { addTransports(); }
    void vanishedEncoderEndsATimedWait()
    {
        QFETCH(QString, transport);
        LinkFixture link(transport);
        std::thread later([&] {
            QThread::msleep(200);
            link.vanish();
        });
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        const int got = link.connection.WaitReply({"OK"}, 10000, reply);
        later.join();
        QCOMPARE(got, -1);
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    }

    void serialPortNotOpen()
    {
        LinkFixture link(QStringLiteral("serial"));
        link.feed("OK");
        link.connection.xcomm().close();
        QByteArray reply("stale");
        QCOMPARE(link.connection.WaitReply({"OK"}, 1000, reply), -1);
        QVERIFY(reply.isEmpty());
    }

    void usbQueueStatusFailingAtEntry()
    {
        LinkFixture link(QStringLiteral("usb"));
        link.feed("OK");
        link.bus.queueStatusOkCalls = 0;
        FtReadBuffer[0] = 0xAA;
        QByteArray reply("stale");
        QElapsedTimer t;
        t.start();
        QCOMPARE(link.connection.WaitReply({"OK"}, 1000, reply), -1);
        QVERIFY(t.elapsed() < 100);
        QVERIFY(reply.isEmpty());
        QCOMPARE(FtReadBuffer[0], quint8(0xAA));   // untouched
    }

    void terminationBeforeTheWaitEndsItAfterOnePass_data() { addTransports(); }
    void terminationBeforeTheWaitEndsItAfterOnePass()
    {
        QFETCH(QString, transport);
        LinkFixture link(transport);
        requestTermination();
        QByteArray reply;
        const int got = link.connection.WaitReply({"OK"}, 0, reply);
        clearTerminationRequest();
        QCOMPARE(got, -1);
    }
};

QTEST_GUILESS_MAIN(TestWaitReply)
#include "wait_reply.moc"
