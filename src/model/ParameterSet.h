#pragma once
// A ParameterSet is the value of all 23 parameters: the PI, DPS, TEXT and PS
// texts and the selected index of every list (-1 for no selection).

#include "model/Parameter.h"
#include <QString>
#include <array>

namespace brevolan {

class ParameterSet {
public:
    ParameterSet();                      // every text empty, every index -1
    static ParameterSet defaults();      // the values ResetFields puts in

    QString text(Param p) const;         // text parameters only
    void setText(Param p, const QString &text);
    int index(Param p) const;            // list parameters only
    // An index outside the list leaves no selection (-1); nothing is reported.
    void setIndex(Param p, int index);

    // As a settings file writes it: the text, or the index in decimal.
    QString fileValue(Param p) const;
    // As the encoder receives it: like fileValue, but SPEED as its entry's
    // text ("9600"), empty when no speed is selected.
    QByteArray wireValue(Param p) const;

    QString speedText() const;           // entry text of SPEED, empty for none
    void selectSpeed(const QString &text); // entry with equal text, -1 for none

    bool operator==(const ParameterSet &other) const = default;

private:
    std::array<QString, ParameterCount> m_text;
    std::array<int, ParameterCount> m_index;
};

} // namespace brevolan
