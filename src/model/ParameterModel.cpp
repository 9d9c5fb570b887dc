#include "model/ParameterModel.h"

#include "model/PiCode.h"

namespace brevolan {

ParameterModel::ParameterModel(QObject *parent) : QObject(parent), m_values(ParameterSet::defaults())
{
    m_callLetters = PIToCall(0xFFFF);
}

void ParameterModel::setText(Param p, const QString &text)
{
    if (m_values.text(p) == text)
        return;
    m_values.setText(p, text);
    emit parameterChanged(p);
}

void ParameterModel::setIndex(Param p, int index)
{
    // Always signalled: the TA colour rule runs after every set, even an unchanged one.
    m_values.setIndex(p, index);
    emit parameterChanged(p);
}

void ParameterModel::selectSpeed(const QString &text)
{
    m_values.selectSpeed(text);
    emit parameterChanged(Param::SPEED);
}

void ParameterModel::setValues(const ParameterSet &values)
{
    m_values = values;
    for (const ParameterInfo &info : parameterTable())
        emit parameterChanged(info.param);
}

void ParameterModel::setRbdsMode(bool rbds)
{
    if (m_rbds == rbds)
        return;
    m_rbds = rbds;
    emit modeChanged(rbds);
}

void ParameterModel::setCallLetters(const QString &call)
{
    if (m_callLetters == call)
        return;
    m_callLetters = call;
    emit callLettersChanged(call);
}

void ParameterModel::resetFields()
{
    setValues(ParameterSet::defaults());
    setCallLetters(PIToCall(0xFFFF));
}

void ParameterModel::convertPiToCall()
{
    setCallLetters(PIToCall(piFromFieldText(text(Param::PI))));
}

void ParameterModel::convertCallToPi()
{
    setText(Param::PI, piToFieldText(CallToPI(m_callLetters)));
}

} // namespace brevolan
