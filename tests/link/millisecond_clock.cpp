#include "link/MillisecondClock.h"

#include <QTest>
#include <QThread>

using namespace brevolan;

class TestMillisecondClock : public QObject {
    Q_OBJECT
private slots:
    void elapsedIsWrapSafe_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("now");
        QTest::addColumn<qint32>("elapsed");
        QTest::newRow("plain") << 1000u << 1250u << 250;
        QTest::newRow("across the wrap") << 0xFFFFFF00u << 0x00000010u << 0x110;
        QTest::newRow("at the wrap") << 0xFFFFFFFFu << 0u << 1;
        QTest::newRow("now before start") << 500u << 400u << -100;
        QTest::newRow("half range") << 0u << 0x7FFFFFFFu << 0x7FFFFFFF;
    }
    void elapsedIsWrapSafe()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, now);
        QFETCH(qint32, elapsed);
        QCOMPARE(elapsedMs(start, now), elapsed);
    }

    void countsMilliseconds()
    {
        const quint32 start = MillisecondClock();
        QThread::msleep(120);
        const qint32 elapsed = elapsedMs(start, MillisecondClock());
        QVERIFY2(elapsed >= 119 && elapsed < 2000, qPrintable(QString::number(elapsed)));
    }

    void neverGoesBack()
    {
        quint32 last = MillisecondClock();
        for (int i = 0; i < 10000; ++i) {
            const quint32 now = MillisecondClock();
            QVERIFY(elapsedMs(last, now) >= 0);
            last = now;
        }
    }
};

QTEST_GUILESS_MAIN(TestMillisecondClock)
#include "millisecond_clock.moc"
