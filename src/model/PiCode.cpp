#include "model/PiCode.h"

#include "common/BrevolanError.h"

#include <cctype>

namespace brevolan {

namespace {
constexpr int KBase = 4096;    // KAAA
constexpr int WBase = 21672;   // WAAA
constexpr int LastK = 0x54A7;  // KZZZ
constexpr int LastW = 0x994F;  // WZZZ
} // namespace

const QList<std::pair<std::uint16_t, QString>> &fixedCallAssignments()
{
    static const QList<std::pair<std::uint16_t, QString>> table = {
        {0x03AD, QStringLiteral("CKGE")}, {0x4020, QStringLiteral("KSFW")},
        {0x6346, QStringLiteral("WFNY")}, {0x673C, QStringLiteral("WHAY")},
        {0x67AE, QStringLiteral("WHFI")}, {0x6AF6, QStringLiteral("WILQ")},
        {0x6B20, QStringLiteral("WING")}, {0x6EDA, QStringLiteral("WJXY")},
        {0x9950, QStringLiteral("KEX")}, {0x9951, QStringLiteral("KFH")},
        {0x9952, QStringLiteral("KFI")}, {0x9953, QStringLiteral("KGA")},
        {0x9954, QStringLiteral("KGO")}, {0x9955, QStringLiteral("KGU")},
        {0x9956, QStringLiteral("KGW")}, {0x9957, QStringLiteral("KGY")},
        {0x9958, QStringLiteral("KID")}, {0x9959, QStringLiteral("KIT")},
        {0x995A, QStringLiteral("KJR")}, {0x995B, QStringLiteral("KLO")},
        {0x995C, QStringLiteral("KLZ")}, {0x995D, QStringLiteral("KMA")},
        {0x995E, QStringLiteral("KMJ")}, {0x995F, QStringLiteral("KNX")},
        {0x9960, QStringLiteral("KOA")}, {0x9964, QStringLiteral("KQV")},
        {0x9965, QStringLiteral("KSL")}, {0x9966, QStringLiteral("KUJ")},
        {0x9967, QStringLiteral("KVI")}, {0x9968, QStringLiteral("KWG")},
        {0x996B, QStringLiteral("KYW")}, {0x996D, QStringLiteral("WBZ")},
        {0x996E, QStringLiteral("WDZ")}, {0x996F, QStringLiteral("WEW")},
        {0x9971, QStringLiteral("WGL")}, {0x9972, QStringLiteral("WGN")},
        {0x9973, QStringLiteral("WGR")}, {0x9975, QStringLiteral("WHA")},
        {0x9976, QStringLiteral("WHB")}, {0x9977, QStringLiteral("WHK")},
        {0x9978, QStringLiteral("WHO")}, {0x997A, QStringLiteral("WIP")},
        {0x997B, QStringLiteral("WJR")}, {0x997C, QStringLiteral("WKY")},
        {0x997D, QStringLiteral("WLS")}, {0x997E, QStringLiteral("WLW")},
        {0x9981, QStringLiteral("WOC")}, {0x9983, QStringLiteral("WOL")},
        {0x9984, QStringLiteral("WOR")}, {0x9988, QStringLiteral("WWJ")},
        {0x9989, QStringLiteral("WWL")}, {0x9990, QStringLiteral("KDB")},
        {0x9991, QStringLiteral("KGB")}, {0x9992, QStringLiteral("KOY")},
        {0x9993, QStringLiteral("KPQ")}, {0x9994, QStringLiteral("KSD")},
        {0x9995, QStringLiteral("KUT")}, {0x9996, QStringLiteral("KXL")},
        {0x9997, QStringLiteral("KXO")}, {0x9999, QStringLiteral("WBT")},
        {0x999A, QStringLiteral("WGH")}, {0x999B, QStringLiteral("WGY")},
        {0x999C, QStringLiteral("WHP")}, {0x999D, QStringLiteral("WIL")},
        {0x999E, QStringLiteral("WMC")}, {0x999F, QStringLiteral("WMT")},
        {0x99A0, QStringLiteral("WOI")}, {0x99A1, QStringLiteral("WOW")},
        {0x99A2, QStringLiteral("WRR")}, {0x99A3, QStringLiteral("WSB")},
        {0x99A4, QStringLiteral("WSM")}, {0x99A5, QStringLiteral("KBW")},
        {0x99A6, QStringLiteral("KCY")}, {0x99A7, QStringLiteral("KDF")},
        {0x99AA, QStringLiteral("KHQ")}, {0x99AB, QStringLiteral("KOB")},
        {0x99B3, QStringLiteral("WIS")}, {0x99B4, QStringLiteral("WJW")},
        {0x99B5, QStringLiteral("WJZ")}, {0x99B9, QStringLiteral("WRC")},
        {0xC006, QStringLiteral("CBCK")}, {0xC008, QStringLiteral("CJBC-1")},
        {0xCB27, QStringLiteral("CBLJ")}, {0xCB29, QStringLiteral("CBEB")},
        {0xCB2A, QStringLiteral("CBLG")}, {0xCB2C, QStringLiteral("CBQT")},
        {0xCB41, QStringLiteral("CBA-FM")}, {0xCB42, QStringLiteral("CBCT")},
        {0xCB4D, QStringLiteral("CBHM")},
    };
    return table;
}

std::uint16_t CallToPI(const QString &call)
{
    // Upper case for the letters a to z only: other characters enter the sum as they are.
    QString text = call;
    for (QChar &c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    if (text.size() != 4 || (text[0] != QLatin1Char('K') && text[0] != QLatin1Char('W')))
        return 0;
    const int base = text[0] == QLatin1Char('K') ? KBase : WBase;
    auto value = [&](int i) { return int(text[i].unicode()) - 65; };
    unsigned code = unsigned(base + 676 * value(1) + 26 * value(2) + value(3)) & 0xFFFFu;
    // A zero second digit: d1 0 d3 d4 becomes A d1 d3 d4.
    if (((code >> 8) & 0xF) == 0)
        code = 0xA000u | ((code >> 12) << 8) | (code & 0xFF);
    // Zero last two digits: d1 d2 0 0 becomes A F d1 d2.
    if ((code & 0xFF) == 0)
        code = 0xAF00u | (code >> 8);
    return static_cast<std::uint16_t>(code);
}

QString PIToCall(std::uint16_t pi)
{
    unsigned a = pi;
    if ((a >> 8) == 0xAF)                 // A F x y -> x y 0 0
        a = (a & 0xFF) << 8;
    if ((a >> 12) == 0xA)                 // A x y z -> x 0 y z
        a = ((a & 0x0F00) << 4) | (a & 0xFF);
    QString call = QStringLiteral("----");
    if (a >= 0x1000 && a <= LastW) {
        const bool k = a <= LastK;
        const int b = int(a) - (k ? KBase : WBase);
        call = QString(k ? QLatin1Char('K') : QLatin1Char('W'));
        call += QChar('A' + b / 676);
        call += QChar('A' + (b % 676) / 26);
        call += QChar('A' + (b % 676) % 26);
    }
    for (const auto &[code, letters] : fixedCallAssignments())
        if (code == a)
            return letters;
    return call;
}

std::uint16_t piFromFieldText(const QString &pi1Text)
{
    const QString parsed = QLatin1Char('$') + pi1Text;
    bool ok = !pi1Text.isEmpty() && pi1Text.size() <= 8;
    for (QChar c : pi1Text)
        if (!isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x'))
            ok = false;
    if (!ok)
        throw invalidIntegerError(parsed);
    return static_cast<std::uint16_t>(pi1Text.toULongLong(nullptr, 16) & 0xFFFFu);
}

QString piToFieldText(std::uint16_t pi)
{
    return QStringLiteral("%1").arg(pi, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace brevolan
