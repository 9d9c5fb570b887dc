// The fixed value lists and the defaults ResetFields puts in.

#include "model/ParameterSet.h"
#include "model/ValueLists.h"

#include <QtTest>

using namespace brevolan;

class ValueListsTest : public QObject {
    Q_OBJECT
private slots:
    void listSizesMatchEntries_data();
    void listSizesMatchEntries();
    void defaults_data();
    void defaults();
    void afEntries_data();
    void afEntries();
    void afUnderDecimalComma();
    void ptyNames_data();
    void ptyNames();
    void rbdsUnassignedCodes();
    void dpssAndDrtsShareEntries();
    void indexOutsideListLeavesNoSelection_data();
    void indexOutsideListLeavesNoSelection();
    void speedTextAndWireValue();
};

void ValueListsTest::listSizesMatchEntries_data()
{
    QTest::addColumn<Param>("param");
    QTest::addColumn<int>("size");
    const QList<std::pair<Param, int>> rows = {
        {Param::PTY, 32}, {Param::MS, 2}, {Param::TA, 2}, {Param::PARSE, 10},
        {Param::DPSS, 10}, {Param::DRTS, 10}, {Param::TP, 2}, {Param::DI, 2},
        {Param::ECHO, 2}, {Param::AF1, 205}, {Param::AF9, 205}, {Param::SPEED, 7},
        {Param::PI, 0}, {Param::PS, 0},
    };
    for (const auto &[p, size] : rows)
        QTest::newRow(qPrintable(keyOf(p))) << p << size;
}

void ValueListsTest::listSizesMatchEntries()
{
    QFETCH(Param, param);
    QFETCH(int, size);
    QCOMPARE(listSize(param), size);
    QCOMPARE(entriesOf(param, true).size(), size);
    QCOMPARE(entriesOf(param, false).size(), size);
}

void ValueListsTest::defaults_data()
{
    QTest::addColumn<Param>("param");
    QTest::addColumn<QString>("shown");   // entry text, or the text itself
    QTest::newRow("PI") << Param::PI << "FFFF";
    QTest::newRow("PTY") << Param::PTY << "NONE";
    QTest::newRow("MS") << Param::MS << "MUSIC";
    QTest::newRow("TA") << Param::TA << "OFF";
    QTest::newRow("PARSE") << Param::PARSE << "0";
    QTest::newRow("DPSS") << Param::DPSS << "OFF";
    QTest::newRow("DRTS") << Param::DRTS << "OFF";
    QTest::newRow("TP") << Param::TP << "OFF";
    QTest::newRow("DI") << Param::DI << "MONO";
    QTest::newRow("ECHO") << Param::ECHO << "ON";
    QTest::newRow("DPS") << Param::DPS << "";
    QTest::newRow("TEXT") << Param::TEXT << "";
    QTest::newRow("PS") << Param::PS << "BREVOLAN";
    QTest::newRow("AF1") << Param::AF1 << "NO AF";
    QTest::newRow("AF9") << Param::AF9 << "NO AF";
    QTest::newRow("SPEED") << Param::SPEED << "2400";
}

void ValueListsTest::defaults()
{
    QFETCH(Param, param);
    QFETCH(QString, shown);
    const ParameterSet d = ParameterSet::defaults();
    if (isList(param))
        QCOMPARE(entriesOf(param, true, QLocale::c()).value(d.index(param)), shown);
    else
        QCOMPARE(d.text(param), shown);
}

void ValueListsTest::afEntries_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("entry");
    QTest::newRow("none") << 0 << "NO AF";
    QTest::newRow("first") << 1 << "87.60";
    QTest::newRow("second") << 2 << "87.70";
    QTest::newRow("100.0") << 125 << "100.00";
    QTest::newRow("last") << 204 << "107.90";
}

void ValueListsTest::afEntries()
{
    QFETCH(int, code);
    QFETCH(QString, entry);
    QCOMPARE(afList(QLocale::c()).at(code), entry);
}

void ValueListsTest::afUnderDecimalComma()
{
    const QStringList comma = afList(QLocale(QLocale::German));
    const QStringList point = afList(QLocale::c());
    QCOMPARE(comma.size(), 205);
    QCOMPARE(comma.at(1), QStringLiteral("87,60"));
    QCOMPARE(comma.at(204), QStringLiteral("107,90"));
    // Every entry is its frequency, whatever the separator: no accumulated drift.
    for (int k = 1; k <= 204; ++k) {
        const int tenths = 875 + k;
        const QString expected = QString::number(tenths / 10) + QLatin1Char('.')
                                 + QString::number(tenths % 10) + QLatin1Char('0');
        QCOMPARE(point.at(k), expected);
        QCOMPARE(comma.at(k), QString(expected).replace(QLatin1Char('.'), QLatin1Char(',')));
    }
    // The separator only changes what is shown: the stored value is the index.
    ParameterSet s = ParameterSet::defaults();
    s.setIndex(Param::AF1, 204);
    QCOMPARE(s.fileValue(Param::AF1), QStringLiteral("204"));
    QCOMPARE(s.wireValue(Param::AF1), QByteArray("204"));
}

void ValueListsTest::ptyNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("rds");
    QTest::addColumn<QString>("rbds");
    QTest::newRow("0") << 0 << "NONE" << "NONE";
    QTest::newRow("2") << 2 << "CURRENT AFFAIRS" << "INFORMATION";
    QTest::newRow("7") << 7 << "CULTURE" << "ADULT HITS";
    QTest::newRow("17") << 17 << "FINANCE" << "SOFT R & B";
    QTest::newRow("18") << 18 << "CHILDREN'S PROGS" << "FOREIGN LANGUAGE";
    QTest::newRow("29") << 29 << "DOCUMENTARY" << "WEATHER";
    QTest::newRow("30") << 30 << "ALARM TEST" << "EMERGENCY TEST";
    QTest::newRow("31") << 31 << "ALARM" << "EMERGENCY";
}

void ValueListsTest::ptyNames()
{
    QFETCH(int, code);
    QFETCH(QString, rds);
    QFETCH(QString, rbds);
    QCOMPARE(ptyList(false).at(code), rds);
    QCOMPARE(ptyList(true).at(code), rbds);
}

void ValueListsTest::rbdsUnassignedCodes()
{
    const QStringList rbds = ptyList(true);
    for (int code = 24; code <= 28; ++code)
        QCOMPARE(rbds.at(code), QStringLiteral("UNASSIGNED"));
    QCOMPARE(rbds.count(QStringLiteral("UNASSIGNED")), 5);
}

void ValueListsTest::dpssAndDrtsShareEntries()
{
    const QStringList expected = {"OFF", "1 - SLOW", "2", "3", "4", "5", "6", "7", "8", "9 - FAST"};
    QCOMPARE(entriesOf(Param::DPSS, true), expected);
    QCOMPARE(entriesOf(Param::DRTS, true), expected);
    QCOMPARE(entriesOf(Param::PARSE, true),
             QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    QCOMPARE(speedList(), QStringList({"2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
}

void ValueListsTest::indexOutsideListLeavesNoSelection_data()
{
    QTest::addColumn<Param>("param");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("stored");
    QTest::newRow("PTY 31") << Param::PTY << 31 << 31;
    QTest::newRow("PTY 32") << Param::PTY << 32 << -1;
    QTest::newRow("PTY 40") << Param::PTY << 40 << -1;
    QTest::newRow("MS -2") << Param::MS << -2 << -1;
    QTest::newRow("AF 204") << Param::AF5 << 204 << 204;
    QTest::newRow("AF 205") << Param::AF5 << 205 << -1;
    QTest::newRow("SPEED 7") << Param::SPEED << 7 << -1;
}

void ValueListsTest::indexOutsideListLeavesNoSelection()
{
    QFETCH(Param, param);
    QFETCH(int, index);
    QFETCH(int, stored);
    ParameterSet s = ParameterSet::defaults();
    s.setIndex(param, index);
    QCOMPARE(s.index(param), stored);
    QCOMPARE(s.fileValue(param), QString::number(stored));
}

void ValueListsTest::speedTextAndWireValue()
{
    ParameterSet s = ParameterSet::defaults();
    s.selectSpeed(QStringLiteral("9600"));
    QCOMPARE(s.index(Param::SPEED), 2);
    QCOMPARE(s.fileValue(Param::SPEED), QStringLiteral("2"));
    QCOMPARE(s.wireValue(Param::SPEED), QByteArray("9600"));
    s.selectSpeed(QStringLiteral("1200"));
    QCOMPARE(s.index(Param::SPEED), -1);
    QCOMPARE(s.wireValue(Param::SPEED), QByteArray());
}

QTEST_GUILESS_MAIN(ValueListsTest)
#include "ValueListsTest.moc"
