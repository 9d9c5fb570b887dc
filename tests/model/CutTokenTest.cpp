// CutToken and the trimming every DevID and reply reader applies.

#include "link/CutToken.h"

#include <QtTest>

using namespace brevolan;

class CutTokenTest : public QObject {
    Q_OBJECT
private slots:
    void cut_data();
    void cut();
    void devIdInThreeCuts();
    void trim_data();
    void trim();
};

void CutTokenTest::cut_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest");
    QTest::newRow("first piece") << "1, COM1, 9600" << QChar(',') << "1" << " COM1, 9600";
    QTest::newRow("no separator") << "9600" << QChar(',') << "9600" << "";
    QTest::newRow("empty source") << "" << QChar(',') << "" << "";
    QTest::newRow("leading separator") << ",x" << QChar(',') << "" << "x";
    QTest::newRow("trailing separator") << "x," << QChar(',') << "x" << "";
    QTest::newRow("separator only") << "," << QChar(',') << "" << "";
    QTest::newRow("CR reply") << "PTY=5\rOK\r" << QChar('\r') << "PTY=5" << "OK\r";
    QTest::newRow("nothing trimmed") << " a , b" << QChar(',') << " a " << " b";
}

void CutTokenTest::cut()
{
    QFETCH(QString, source);
    QFETCH(QChar, separator);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QCOMPARE(CutToken(source, separator), token);
    QCOMPARE(source, rest);
}

void CutTokenTest::devIdInThreeCuts()
{
    QString s = QStringLiteral("1, COM1, 9600");
    QCOMPARE(CutToken(s, QLatin1Char(',')), QStringLiteral("1"));
    QCOMPARE(CutToken(s, QLatin1Char(',')), QStringLiteral(" COM1"));
    QCOMPARE(s, QStringLiteral(" 9600"));
    QCOMPARE(CutToken(s, QLatin1Char(',')), QStringLiteral(" 9600"));
    QVERIFY(s.isEmpty());
    QCOMPARE(CutToken(s, QLatin1Char(',')), QString());
}

void CutTokenTest::trim_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks") << "  COM1 " << "COM1";
    QTest::newRow("controls") << "\r\n\tOK\x01\x1f" << "OK";
    QTest::newRow("inner kept") << " a b " << "a b";
    QTest::newRow("all control") << "\x01 \x02" << "";
    QTest::newRow("empty") << "" << "";
    // Only codes up to 32 go: a no-break space stays.
    QTest::newRow("nbsp kept") << QString::fromUtf8("\u00a0x\u00a0") << QString::fromUtf8("\u00a0x\u00a0");
}

void CutTokenTest::trim()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(trimControl(text), trimmed);
    QCOMPARE(trimControl(text.toLatin1()), trimmed.toLatin1());
}

QTEST_GUILESS_MAIN(CutTokenTest)
#include "CutTokenTest.moc"
