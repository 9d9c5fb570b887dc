#pragma once
// The device selection dialog: a serial port with its speed, or one of the
// attached USB encoders. Created afresh for each use, shown modally and
// destroyed afterwards; while it exists it holds its own USB notification
// registration and rebuilds the encoder list on every arrival and removal.

#include "devices/SerialPortList.h"
#include "devices/UsbNotification.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace brevolan {

class Preferences;
class Prompts;
struct LinkState;

class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    // ports defaults to the system's serial ports.
    TSettingsForm(QWidget *parent, Prompts &prompts, PortEnumerator ports = {});
    ~TSettingsForm() override;

    // Rebuilds LV from the attached FTDI devices and selects a row again.
    void RefreshUsbList();
    // serial not empty: becomes PreselectSerial. Then the row of
    // PreselectSerial (exact letter case) is selected, or the first row when
    // it is empty; with no matching row the selection stays as it is.
    void SelectUsbRow(const QString &serial);
    void UpdateDeviceControls();
    void COMRBClick();
    void OKBtnClick();
    void LVDblClick();

    // The DevID the dialog's choice stands for, as OK stores it.
    QString chosenDevId() const;
    // The serial number of the selected row; empty without a selection.
    QString selectedSerial() const;

    QRadioButton *COMRB = nullptr;
    QLabel *Label18 = nullptr;
    QComboBox *Port = nullptr;
    QLabel *Label17 = nullptr;
    QComboBox *Speed = nullptr;
    QRadioButton *USBRB = nullptr;
    QTreeWidget *LV = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *Button2 = nullptr;

    QString PreselectSerial;
    UsbNotificationHandle NotifyHandle;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void FormCreate();
    void FormDestroy();
    void onDeviceChange(quint32 event, quint32 deviceType);

    Prompts &m_prompts;
    PortEnumerator m_ports;
};

// Shows the dialog and waits for it to close: exec() in the program; tests
// drive the dialog instead and return its result.
using DeviceDialogRunner = std::function<int(TSettingsForm &dialog)>;

struct DeviceDialogOptions {
    DeviceDialogRunner run;       // empty: exec()
    PortEnumerator ports;         // empty: the system's serial ports
};

// The "Device" command: the dialog with the main window's speeds and the
// current DevID preselected; closed with OK, the new DevID is taken, stored
// at once and shown with showDeviceName. Any other way out changes nothing.
// The dialog is destroyed on every way out. Raises the store's write error
// (DevID and the panel have already taken the new value then). Returns
// whether the dialog was closed with OK.
bool runDeviceDialog(QWidget *parent, LinkState &state, Preferences &preferences,
                     Prompts &prompts, const QStringList &speeds,
                     const std::function<void()> &showDeviceName,
                     const DeviceDialogOptions &options = {});

} // namespace brevolan
