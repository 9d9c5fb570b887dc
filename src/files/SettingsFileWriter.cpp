#include "files/SettingsFileWriter.h"

#include <QList>

namespace brevolan {

std::optional<UnstorableCharacter> firstUnstorableCharacter(const ParameterSet &values)
{
    for (const ParameterInfo &info : parameterTable()) {
        if (info.kind != ParamKind::Text)
            continue;
        for (const char32_t c : values.text(info.param).toUcs4())
            if (c > 0xFF || c == U'\0' || c == U'\r' || c == U'\n')
                return UnstorableCharacter{info.param, c};
    }
    return std::nullopt;
}

QString describeUnstorable(const UnstorableCharacter &u)
{
    const QString code = QStringLiteral("U+%1").arg(quint32(u.character), 4, 16, QLatin1Char('0')).toUpper();
    QString shown = code;
    if (QChar::isPrint(u.character))
        shown = QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&u.character, 1), code);
    return QStringLiteral("The %1 text holds the character %2, which an RDS settings file cannot store")
        .arg(keyOf(u.param), shown);
}

QByteArray settingsFileText(const ParameterSet &values)
{
    QByteArray out;
    for (const ParameterInfo &info : parameterTable()) {
        const QString value = values.fileValue(info.param);
        if (value.isEmpty())
            continue;
        out += info.key;
        out += '=';
        out += value.toLatin1();
        out += "\r\n";
    }
    return out;
}

} // namespace brevolan
