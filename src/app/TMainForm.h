#pragma once
// The main window: the encoder's parameters in one fixed 639 x 320 form, the
// RDS/RBDS mode, the menu, and the status panel with the selected device and
// the progress bar. It mirrors ParameterModel both ways; every handler runs
// inside the one guard that turns errors into the application's error box.

#include "link/LinkState.h"
#include "model/Parameter.h"

#include <QMainWindow>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace brevolan {

class LimitedEdit;
class PaintBox;
class ParameterModel;
class Preferences;
class Prompts;
class SettingsFileCommands;
class UsbDeviceTracker;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // The collaborators outlive the window; tests inject their own.
    TMainForm(Prompts *prompts, Preferences *preferences, QWidget *parent = nullptr);
    ~TMainForm() override;

    ParameterModel &model() { return *m_model; }
    LinkState &linkState() { return m_link; }
    Prompts &prompts() { return *m_prompts; }
    Preferences &preferences() { return *m_preferences; }
    SettingsFileCommands &fileCommands() { return *m_fileCommands; }

    QString baseCaption() const { return m_baseCaption; }
    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString &path) { m_helpFile = path; }
    // The page the logo opens: the installed README, else the source tree's.

    // How files and web pages are opened with the default application
    // (QDesktopServices in production; tests record the requests).
    void setUrlOpener(std::function<void(const QUrl &)> opener) { m_openUrl = std::move(opener); }

    // Runs a handler inside the guard: what it throws is shown in the error box.
    void guard(const std::function<void()> &handler);

    // DevName := the selected device.
    void ShowDeviceName();
    // TA background: red unless "OFF" is selected.
    void TAChange();
    // ResetFields: every list filled, every parameter at its default, the
    // mode-dependent controls set and the TA colour applied.
    void ResetFields();

    void centreOnScreen();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void applyTabOrder();
    void connectModel();
    QLabel *addLabel(const QString &text, int x, int y);
    QComboBox *addList(Param p, int x, int y, int w);
    LimitedEdit *addEdit(const QString &name, int x, int y, int w, int h);

    void FormCreate();
    void FormClose();
    void FormDestroy();

    // Key filters: true when the key was discarded.
    bool PI1KeyPress(QKeyEvent *event);
    bool PI2KeyPress(QKeyEvent *event);
    void ModeBtnClick();
    void PB2Paint(PaintBox &box);
    void Image1MouseDown(Qt::MouseButton button);
    void PI1ToPI2Click();
    void PI2ToPI1Click();
    void miOpenClick();
    void miSaveClick();
    void miSaveAsClick();
    void miExitClick();
    void miHelpClick();
    void ReadRDSBtnClick();
    void SendToRDSBtnClick();
    void miResetClick();
    void miAboutClick();
    void miDeviceClick();

    // USB device handling, run at the places start-up and destruction give
    // them; they are filled in with the USB layer.
    void usbPresenceCheck();
    void switchOffFtErrorReport();
    void registerUsbNotification();
    void unregisterUsbNotification();
    UsbDeviceTracker &usbTracker();

    void applyModeControls();
    void fillLists();
    void showParameter(Param p);
    void showCallLetters();
    void connectHandler(QAction *action, void (TMainForm::*handler)());
    void connectHandler(QPushButton *button, void (TMainForm::*handler)());

    Prompts *m_prompts;
    Preferences *m_preferences;
    std::unique_ptr<ParameterModel> m_model;
    std::unique_ptr<SettingsFileCommands> m_fileCommands;
    std::function<void(const QUrl &)> m_openUrl;

    // State besides the controls (ComPortName, ComBaudRate, DevID,
    // DeviceMissing, UsbBaudRate and FirstUsbOpen live in m_link).
    QString m_baseCaption;
    QString m_helpFile;
    LinkState m_link;
    // Follows the selected USB encoder as devices come and go.
    std::unique_ptr<UsbDeviceTracker> m_usbTracker;

    std::array<LimitedEdit *, ParameterCount> m_edits{};
    std::array<QComboBox *, ParameterCount> m_lists{};
    LimitedEdit *PI1 = nullptr;
    LimitedEdit *PI2 = nullptr;
    LimitedEdit *PS = nullptr;
    LimitedEdit *DPS = nullptr;
    LimitedEdit *Text = nullptr;
    QPushButton *PI1ToPI2 = nullptr;
    QPushButton *PI2ToPI1 = nullptr;
    QPushButton *ModeBtn = nullptr;
    QPushButton *ReadRDSBtn = nullptr;
    QPushButton *SendToRDSBtn = nullptr;
    QComboBox *TA = nullptr;
    QComboBox *Speed = nullptr;
    PaintBox *PB1 = nullptr;
    PaintBox *PB2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *DevName = nullptr;
    QProgressBar *PBar = nullptr;

    // Read, Send, Reset and About: the link and the operations on it, made on
    // first use; their busy flags live as long as the window.
    struct EncoderLink;
    std::unique_ptr<EncoderLink> m_encoderLink;
    EncoderLink &encoderLink();
};

} // namespace brevolan
