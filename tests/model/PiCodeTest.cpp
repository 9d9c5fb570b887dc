// PI codes and North American call letters (NRSC-4).

#include "common/BrevolanError.h"
#include "model/PiCode.h"

#include <QtTest>

using namespace brevolan;

namespace {

// The fixed assignments, written out independently of the code under test.
const QList<std::pair<std::uint16_t, const char *>> FixedAssignments = {
    {0x03AD, "CKGE"}, {0x4020, "KSFW"}, {0x6346, "WFNY"}, {0x673C, "WHAY"}, {0x67AE, "WHFI"},
    {0x6AF6, "WILQ"}, {0x6B20, "WING"}, {0x6EDA, "WJXY"}, {0x9950, "KEX"}, {0x9951, "KFH"},
    {0x9952, "KFI"}, {0x9953, "KGA"}, {0x9954, "KGO"}, {0x9955, "KGU"}, {0x9956, "KGW"},
    {0x9957, "KGY"}, {0x9958, "KID"}, {0x9959, "KIT"}, {0x995A, "KJR"}, {0x995B, "KLO"},
    {0x995C, "KLZ"}, {0x995D, "KMA"}, {0x995E, "KMJ"}, {0x995F, "KNX"}, {0x9960, "KOA"},
    {0x9964, "KQV"}, {0x9965, "KSL"}, {0x9966, "KUJ"}, {0x9967, "KVI"}, {0x9968, "KWG"},
    {0x996B, "KYW"}, {0x996D, "WBZ"}, {0x996E, "WDZ"}, {0x996F, "WEW"}, {0x9971, "WGL"},
    {0x9972, "WGN"}, {0x9973, "WGR"}, {0x9975, "WHA"}, {0x9976, "WHB"}, {0x9977, "WHK"},
    {0x9978, "WHO"}, {0x997A, "WIP"}, {0x997B, "WJR"}, {0x997C, "WKY"}, {0x997D, "WLS"},
    {0x997E, "WLW"}, {0x9981, "WOC"}, {0x9983, "WOL"}, {0x9984, "WOR"}, {0x9988, "WWJ"},
    {0x9989, "WWL"}, {0x9990, "KDB"}, {0x9991, "KGB"}, {0x9992, "KOY"}, {0x9993, "KPQ"},
    {0x9994, "KSD"}, {0x9995, "KUT"}, {0x9996, "KXL"}, {0x9997, "KXO"}, {0x9999, "WBT"},
    {0x999A, "WGH"}, {0x999B, "WGY"}, {0x999C, "WHP"}, {0x999D, "WIL"}, {0x999E, "WMC"},
    {0x999F, "WMT"}, {0x99A0, "WOI"}, {0x99A1, "WOW"}, {0x99A2, "WRR"}, {0x99A3, "WSB"},
    {0x99A4, "WSM"}, {0x99A5, "KBW"}, {0x99A6, "KCY"}, {0x99A7, "KDF"}, {0x99AA, "KHQ"},
    {0x99AB, "KOB"}, {0x99B3, "WIS"}, {0x99B4, "WJW"}, {0x99B5, "WJZ"}, {0x99B9, "WRC"},
    {0xC006, "CBCK"}, {0xC008, "CJBC-1"}, {0xCB27, "CBLJ"}, {0xCB29, "CBEB"}, {0xCB2A, "CBLG"},
    {0xCB2C, "CBQT"}, {0xCB41, "CBA-FM"}, {0xCB42, "CBCT"}, {0xCB4D, "CBHM"},
};

} // namespace

class PiCodeTest : public QObject {
    Q_OBJECT
private slots:
    void everyFourLetterCallRoundTrips();
    void fixedAssignments_data();
    void fixedAssignments();
    void fixedTableIsComplete();
    void boundaries_data();
    void boundaries();
    void callToPiOnly_data();
    void callToPiOnly();
    void piFieldText_data();
    void piFieldText();
    void piFieldTextErrors_data();
    void piFieldTextErrors();
    void piToFieldText();
};

void PiCodeTest::everyFourLetterCallRoundTrips()
{
    int calls = 0;
    QSet<std::uint16_t> codes;
    for (const char first : {'K', 'W'})
        for (char a = 'A'; a <= 'Z'; ++a)
            for (char b = 'A'; b <= 'Z'; ++b)
                for (char c = 'A'; c <= 'Z'; ++c) {
                    const QString call = QString(QLatin1Char(first)) + QLatin1Char(a) + QLatin1Char(b)
                                         + QLatin1Char(c);
                    const std::uint16_t pi = CallToPI(call);
                    const QString back = PIToCall(pi);
                    // Only the table can give a call other letters (e.g. 0x4020 is KSFW both ways).
                    if (back != call)
                        QFAIL(qPrintable(QStringLiteral("%1 -> %2 -> %3")
                                             .arg(call, QString::number(pi, 16), back)));
                    codes.insert(pi);
                    ++calls;
                }
    QCOMPARE(calls, 35152);
    QCOMPARE(codes.size(), 35152);
}

void PiCodeTest::fixedAssignments_data()
{
    QTest::addColumn<int>("pi");
    QTest::addColumn<QString>("call");
    for (const auto &[pi, call] : FixedAssignments)
        QTest::newRow(call) << int(pi) << QString::fromLatin1(call);
}

void PiCodeTest::fixedAssignments()
{
    QFETCH(int, pi);
    QFETCH(QString, call);
    QCOMPARE(PIToCall(std::uint16_t(pi)), call);
}

void PiCodeTest::fixedTableIsComplete()
{
    QCOMPARE(fixedCallAssignments().size(), FixedAssignments.size());
    QCOMPARE(FixedAssignments.size(), 89);
}

void PiCodeTest::boundaries_data()
{
    QTest::addColumn<int>("pi");
    QTest::addColumn<QString>("call");
    QTest::newRow("0x1000 is KAAA") << 0x1000 << "KAAA";
    QTest::newRow("0xAFA1 is KAAA") << 0xAFA1 << "KAAA";
    QTest::newRow("KABJ") << 0xA123 << "KABJ";
    QTest::newRow("KZZZ") << 0x54A7 << "KZZZ";
    QTest::newRow("WAAA") << 0x54A8 << "WAAA";
    QTest::newRow("WZZZ") << 0x994F << "WZZZ";
    QTest::newRow("first fixed") << 0x9950 << "KEX";
    QTest::newRow("A-remapped fixed") << 0xAC06 << "CBCK";
    QTest::newRow("CJBC-1") << 0xC008 << "CJBC-1";
    QTest::newRow("CKGE") << 0x03AD << "CKGE";
    QTest::newRow("below K") << 0x0FFF << "----";
    QTest::newRow("0x0012") << 0x0012 << "----";
    QTest::newRow("unassigned above W") << 0x9961 << "----";
    QTest::newRow("default FFFF") << 0xFFFF << "----";
    QTest::newRow("zero") << 0x0000 << "----";
}

void PiCodeTest::boundaries()
{
    QFETCH(int, pi);
    QFETCH(QString, call);
    QCOMPARE(PIToCall(std::uint16_t(pi)), call);
}

void PiCodeTest::callToPiOnly_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("pi");
    QTest::newRow("KAAA") << "KAAA" << 0xAFA1;
    QTest::newRow("KABJ") << "KABJ" << 0xA123;
    QTest::newRow("KZZZ") << "KZZZ" << 0x54A7;
    QTest::newRow("WAAA") << "WAAA" << 0x54A8;
    QTest::newRow("WZZZ") << "WZZZ" << 0x994F;
    QTest::newRow("lower case") << "wxyz" << 0x93ED;
    QTest::newRow("three letters") << "KEX" << 0;
    QTest::newRow("five letters") << "KABCD" << 0;
    QTest::newRow("not K or W") << "CBCK" << 0;
    QTest::newRow("empty") << "" << 0;
    // Pasted non-letters enter the sum as their code minus 65 ('1' is -16).
    QTest::newRow("digit") << "KAA1" << 4096 - 16;
}

void PiCodeTest::callToPiOnly()
{
    QFETCH(QString, call);
    QFETCH(int, pi);
    QCOMPARE(int(CallToPI(call)), pi);
}

void PiCodeTest::piFieldText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pi");
    QTest::newRow("upper") << "54A7" << 0x54A7;
    QTest::newRow("lower") << "54a7" << 0x54A7;
    QTest::newRow("short") << "12" << 0x0012;
    QTest::newRow("five digits use low 16 bits") << "1AFA1" << 0xAFA1;
    QTest::newRow("eight digits") << "FFFF1000" << 0x1000;
}

void PiCodeTest::piFieldText()
{
    QFETCH(QString, text);
    QFETCH(int, pi);
    QCOMPARE(int(piFromFieldText(text)), pi);
}

void PiCodeTest::piFieldTextErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << "'$' is not a valid integer value";
    QTest::newRow("letters") << "XYZ" << "'$XYZ' is not a valid integer value";
    QTest::newRow("blank") << " 123" << "'$ 123' is not a valid integer value";
    QTest::newRow("sign") << "-1" << "'$-1' is not a valid integer value";
    QTest::newRow("nine digits") << "123456789" << "'$123456789' is not a valid integer value";
    QTest::newRow("non-ASCII") << QString::fromUtf8("12\u00bd") << QString::fromUtf8("'$12\u00bd' is not a valid integer value");
}

void PiCodeTest::piFieldTextErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        piFromFieldText(text);
        QFAIL("parsed");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), message);
    }
}

void PiCodeTest::piToFieldText()
{
    QCOMPARE(brevolan::piToFieldText(0), QStringLiteral("0000"));
    QCOMPARE(brevolan::piToFieldText(0x93ED), QStringLiteral("93ED"));
    QCOMPARE(brevolan::piToFieldText(0x0A0b), QStringLiteral("0A0B"));
}

QTEST_GUILESS_MAIN(PiCodeTest)
#include "PiCodeTest.moc"
