#pragma once
// One attempt to put a text into the encoder: open the link, drain, set each
// key, close, with the protocol steps the companion's set uses. The link is
// opened afresh for every attempt, so an encoder that was unplugged and
// plugged in again is simply found again. Never stores ("SAVE"): a song
// change every few minutes would wear out the encoder's memory.

#include "common/Prompts.h"
#include "link/DeviceConnection.h"
#include "link/LinkState.h"
#include "model/Parameter.h"
#include "model/ParameterModel.h"

#include <QList>
#include <QString>

namespace brevolan::cli {

struct SendOutcome {
    bool sent = false;
    QString failure;   // why not, as one line
};

class RadioTextSender {
public:
    RadioTextSender(const QString &devId, QList<Param> keys);

    SendOutcome send(const QString &text);

    const QList<Param> &keys() const { return m_keys; }

private:
    // What the window would show in a box becomes the attempt's failure.
    class Collector : public Prompts {
    public:
        void error(const QString &text) override { last = text; }
        void information(const QString &) override {}
        void plain(const QString &text) override { last = text; }
        bool confirm(const QString &) override { return false; }
        QString openFileName(const FileDialogOptions &) override { return QString(); }
        QString saveFileName(const FileDialogOptions &) override { return QString(); }
        QString last;
    };

    QList<Param> m_keys;
    LinkState m_state;
    Collector m_prompts;
    ParameterModel m_model;
    DeviceConnection m_link;
};

} // namespace brevolan::cli
