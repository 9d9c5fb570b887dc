#include "model/ParameterSet.h"

#include "model/ValueLists.h"

namespace brevolan {

ParameterSet::ParameterSet() { m_index.fill(-1); }

ParameterSet ParameterSet::defaults()
{
    ParameterSet s;
    for (const ParameterInfo &info : parameterTable())
        if (info.kind == ParamKind::List)
            s.setIndex(info.param, 0);
    s.setText(Param::PI, QStringLiteral("FFFF"));
    s.setText(Param::PS, QStringLiteral("BREVOLAN"));
    s.setIndex(Param::MS, 1);     // MUSIC
    s.setIndex(Param::ECHO, 1);   // ON
    return s;
}

QString ParameterSet::text(Param p) const { return m_text[indexOf(p)]; }

void ParameterSet::setText(Param p, const QString &text) { m_text[indexOf(p)] = text; }

int ParameterSet::index(Param p) const { return m_index[indexOf(p)]; }

void ParameterSet::setIndex(Param p, int index)
{
    m_index[indexOf(p)] = (index >= 0 && index < listSize(p)) ? index : -1;
}

QString ParameterSet::fileValue(Param p) const
{
    return isList(p) ? QString::number(index(p)) : text(p);
}

QByteArray ParameterSet::wireValue(Param p) const
{
    if (p == Param::SPEED)
        return speedText().toLatin1();
    return fileValue(p).toLatin1();
}

QString ParameterSet::speedText() const
{
    const int i = index(Param::SPEED);
    return i >= 0 ? speedList().at(i) : QString();
}

void ParameterSet::selectSpeed(const QString &text)
{
    setIndex(Param::SPEED, speedList().indexOf(text));
}

} // namespace brevolan
