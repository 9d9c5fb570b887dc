#include "link/CutToken.h"

namespace brevolan {

QString CutToken(QString &source, QChar separator)
{
    const qsizetype p = source.indexOf(separator);
    if (p < 0) {
        QString token = source;
        source.clear();
        return token;
    }
    QString token = source.left(p);
    source = source.mid(p + 1);
    return token;
}


QString trimControl(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 32) ++b;
    while (e > b && text.at(e - 1).unicode() <= 32) --e;
    return text.mid(b, e - b);
}

QByteArray trimControl(const QByteArray &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text.at(b)) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text.at(e - 1)) <= 32) --e;
    return text.mid(b, e - b);
}

} // namespace brevolan
