#include "model/ValueLists.h"

namespace brevolan {

const QStringList &rdsPtyNames()
{
    static const QStringList names = {
        QStringLiteral("None"), QStringLiteral("News"), QStringLiteral("Current Affairs"),
        QStringLiteral("Information"), QStringLiteral("Sport"), QStringLiteral("Education"),
        QStringLiteral("Drama"), QStringLiteral("Culture"), QStringLiteral("Science"),
        QStringLiteral("Varied"), QStringLiteral("Pop Music"), QStringLiteral("Rock Music"),
        QStringLiteral("Easy Listening"), QStringLiteral("Light Classical"),
        QStringLiteral("Serious Classical"), QStringLiteral("Other Music"),
        QStringLiteral("Weather"), QStringLiteral("Finance"), QStringLiteral("Children's Progs"),
        QStringLiteral("Social Affairs"), QStringLiteral("Religion"), QStringLiteral("Phone In"),
        QStringLiteral("Travel"), QStringLiteral("Leisure"), QStringLiteral("Jazz Music"),
        QStringLiteral("Country Music"), QStringLiteral("National Music"),
        QStringLiteral("Oldies Music"), QStringLiteral("Folk Music"),
        QStringLiteral("Documentary"), QStringLiteral("Alarm Test"), QStringLiteral("Alarm"),
    };
    return names;
}

const QStringList &rbdsPtyNames()
{
    static const QStringList names = {
        QStringLiteral("None"), QStringLiteral("News"), QStringLiteral("Information"),
        QStringLiteral("Sports"), QStringLiteral("Talk"), QStringLiteral("Rock"),
        QStringLiteral("Classic Rock"), QStringLiteral("Adult Hits"), QStringLiteral("Soft Rock"),
        QStringLiteral("Top 40"), QStringLiteral("Country"), QStringLiteral("Oldies"),
        QStringLiteral("Soft"), QStringLiteral("Nostalgia"), QStringLiteral("Jazz"),
        QStringLiteral("Classical"), QStringLiteral("Rhythm and Blues"),
        QStringLiteral("Soft R & B"), QStringLiteral("Foreign Language"),
        QStringLiteral("Religious Music"), QStringLiteral("Religious Talk"),
        QStringLiteral("Personality"), QStringLiteral("Public"), QStringLiteral("College"),
        QStringLiteral("Unassigned"), QStringLiteral("Unassigned"), QStringLiteral("Unassigned"),
        QStringLiteral("Unassigned"), QStringLiteral("Unassigned"), QStringLiteral("Weather"),
        QStringLiteral("Emergency Test"), QStringLiteral("Emergency"),
    };
    return names;
}

QStringList ptyList(bool rbds, const QLocale &locale)
{
    QStringList out;
    for (const QString &name : rbds ? rbdsPtyNames() : rdsPtyNames())
        out << locale.toUpper(name);
    return out;
}

QStringList afList(const QLocale &locale)
{
    QStringList out{QStringLiteral("NO AF")};
    // Computed from the code directly: entry k is 875 + k tenths of a MHz.
    for (int k = 1; k <= 204; ++k) {
        const int tenths = 875 + k;
        out << locale.toString(tenths / 10.0, 'f', 2);
    }
    return out;
}

QStringList speedList()
{
    return {QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
            QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
            QStringLiteral("115200")};
}

QStringList msList() { return {QStringLiteral("SPEECH"), QStringLiteral("MUSIC")}; }
QStringList offOnList() { return {QStringLiteral("OFF"), QStringLiteral("ON")}; }
QStringList diList() { return {QStringLiteral("MONO"), QStringLiteral("STEREO")}; }

QStringList parseList()
{
    QStringList out;
    for (int i = 0; i <= 9; ++i) out << QString::number(i);
    return out;
}

QStringList dpssList()
{
    return {QStringLiteral("OFF"), QStringLiteral("1 - SLOW"), QStringLiteral("2"),
            QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
            QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"),
            QStringLiteral("9 - FAST")};
}

QStringList entriesOf(Param p, bool rbds, const QLocale &locale)
{
    switch (p) {
    case Param::PTY: return ptyList(rbds, locale);
    case Param::MS: return msList();
    case Param::TA: case Param::TP: case Param::ECHO: return offOnList();
    case Param::PARSE: return parseList();
    case Param::DPSS: case Param::DRTS: return dpssList();
    case Param::DI: return diList();
    case Param::SPEED: return speedList();
    case Param::AF1: case Param::AF2: case Param::AF3: case Param::AF4: case Param::AF5:
    case Param::AF6: case Param::AF7: case Param::AF8: case Param::AF9:
        return afList(locale);
    case Param::PI: case Param::DPS: case Param::TEXT: case Param::PS:
        break;
    }
    return {};
}

int listSize(Param p)
{
    switch (p) {
    case Param::PTY: return 32;
    case Param::MS: case Param::TA: case Param::TP: case Param::ECHO: case Param::DI: return 2;
    case Param::PARSE: case Param::DPSS: case Param::DRTS: return 10;
    case Param::SPEED: return 7;
    case Param::AF1: case Param::AF2: case Param::AF3: case Param::AF4: case Param::AF5:
    case Param::AF6: case Param::AF7: case Param::AF8: case Param::AF9:
        return 205;
    case Param::PI: case Param::DPS: case Param::TEXT: case Param::PS:
        break;
    }
    return 0;
}

} // namespace brevolan
