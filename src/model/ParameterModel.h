#pragma once
// The single source of truth for what the main window shows: the parameter
// values, the RDS/RBDS mode and the call letters of PI2. The window mirrors
// it; the settings file, the encoder operations and the tests work on it.

#include "model/ParameterSet.h"
#include <QObject>

namespace brevolan {

class ParameterModel : public QObject {
    Q_OBJECT
public:
    explicit ParameterModel(QObject *parent = nullptr);

    const ParameterSet &values() const { return m_values; }
    QString text(Param p) const { return m_values.text(p); }
    int index(Param p) const { return m_values.index(p); }

    void setText(Param p, const QString &text);
    void setIndex(Param p, int index);       // outside the list: -1
    void selectSpeed(const QString &text);   // entry with equal text, or -1
    void setValues(const ParameterSet &values);

    bool rbdsMode() const { return m_rbds; }
    void setRbdsMode(bool rbds);              // PTY keeps its code
    QString callLetters() const { return m_callLetters; }
    void setCallLetters(const QString &call);

    // ResetFields: every parameter to its default, the call letters of FFFF.
    void resetFields();
    // "-->": call letters from the PI text; throws the conversion error and
    // leaves the call letters unchanged when PI is not hexadecimal.
    void convertPiToCall();
    // "<--": PI from the call letters (0000 for anything but a K or W call).
    void convertCallToPi();

signals:
    void parameterChanged(brevolan::Param p);
    void modeChanged(bool rbds);
    void callLettersChanged(const QString &call);

private:
    ParameterSet m_values;
    bool m_rbds = true;
    QString m_callLetters;
};

} // namespace brevolan
