// Integers as settings files and encoder replies write them.

#include "model/IntegerText.h"

#include <QtTest>

using namespace brevolan;

class IntegerTextTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void IntegerTextTest::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "5" << true << 5;
    QTest::newRow("leading blanks") << "  5" << true << 5;
    QTest::newRow("trailing blank") << "5 " << false << 0;
    QTest::newRow("blank after sign") << "- 5" << false << 0;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("plus") << "+31" << true << 31;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("0x hex") << "0x1f" << true << 31;
    QTest::newRow("0X hex") << "0X10" << true << 16;
    QTest::newRow("negative hex") << "-$10" << true << -16;
    QTest::newRow("all ones") << "$FFFFFFFF" << true << -1;
    QTest::newRow("nine hex digits") << "$100000000" << false << 0;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("over int max") << "2147483648" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("dollar only") << "$" << false << 0;
    QTest::newRow("0x only") << "0x" << false << 0;
    QTest::newRow("hex digit in decimal") << "1A" << false << 0;
    QTest::newRow("tab") << "\t5" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0665") << false << 0;
}

void IntegerTextTest::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const std::optional<int> got = parseInteger(text);
    QCOMPARE(got.has_value(), ok);
    if (ok)
        QCOMPARE(*got, value);
    QCOMPARE(integerOr(text, 77), ok ? value : 77);
}

QTEST_GUILESS_MAIN(IntegerTextTest)
#include "IntegerTextTest.moc"
