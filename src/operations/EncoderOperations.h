#pragma once
// The encoder operations of the main window: Read From Encoder, Send To
// Encoder, the factory reset and the firmware-revision exchange behind About.
// Each opens the link, works, and closes it again on every way out; errors
// propagate to the caller's handler guard (the window's error box, the
// companion's stderr) after the clean-up has run.

#include <QString>

namespace brevolan {

class DeviceConnection;
class OperationUi;
class ParameterModel;
class ParameterSet;
class Preferences;
class Prompts;

class EncoderOperations {
public:
    EncoderOperations(ParameterModel &model, DeviceConnection &link, Preferences &preferences,
                      Prompts &prompts, OperationUi &ui);

    // Queries all 23 parameters into the model, one progress step each, and
    // reports "Done." while the link is still open. Returns at once while a
    // read runs (a click that reaches it from inside the "Done." box).
    void ReadRDSBtnClick();
    // Sets all 23 parameters, follows the new speed (serial DevID rewritten
    // and stored, or the USB rate), reopens, "SAVE", "Done.". Refuses before
    // anything is sent when the values cannot go out as they are.
    void SendToRDSBtnClick();
    // Asks first; then factoryReset().
    void miResetClick();
    // "INIT", the device back to 9600 baud, "SAVE", then the full read.
    void factoryReset();
    // "REV": the firmware revision, empty when none was obtained.
    QString firmwareRevision();

    bool readBusy() const { return m_readBusy; }
    bool sendBusy() const { return m_sendBusy; }

    static QString doneText();
    static QString resetQuestion();
    static QString cannotSaveText();
    static QString noSpeedText();

private:
    void readParameters();
    void sendParameters(const ParameterSet &values);
    void setSerialSpeed(const QString &speed);
    QString exchangeRevision();

    ParameterModel &m_model;
    DeviceConnection &m_link;
    Preferences &m_preferences;
    Prompts &m_prompts;
    OperationUi &m_ui;
    bool m_readBusy = false;
    bool m_sendBusy = false;
};

// The reason values cannot be sent as they are (no speed selected, a text
// holding a character the single-byte wire cannot carry), or empty.
QString sendRefusal(const ParameterSet &values);

} // namespace brevolan
