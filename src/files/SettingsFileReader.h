#pragma once
// Reads the bytes of an "RDS settings" file the way it has always been read:
// lines split at CR, LF or CR LF, a NUL byte ending the text, and for each key
// the first line whose part before its first "=" equals the key (letter case
// aside). Blanks around a key are part of it, so " PI=1234" is no PI line.

#include "model/Parameter.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace brevolan {

class SettingsFileReader {
public:
    explicit SettingsFileReader(const QByteArray &bytes);

    // Everything after the first "=" of the first line with this key, blanks
    // included; nothing when no line has the key.
    std::optional<QString> value(const QString &key) const;

    // A text parameter: the value as read, empty when the key is missing.
    QString text(Param p) const;
    // A list parameter: the value as an integer (IntegerText rules), or the
    // key's default when missing or no integer. Range is not checked here:
    // an index outside the list leaves no selection when it is set.
    int index(Param p) const;

private:
    QHash<QByteArray, QByteArray> m_firstValues;   // key in lower case -> value
};

// What a list parameter reads as when its line is missing or holds no
// integer: ECHO 1 ("ON"), SPEED 2 ("9600"), the rest 0. These differ from the
// start-up defaults on purpose (no MS line selects "SPEECH").
int settingsFileDefault(Param p);

} // namespace brevolan
