#include "app/TMainForm.h"

#include "app/WindowFonts.h"
#include "operations/ReadmeLocation.h"

#include "app/HandlerGuard.h"
#include "app/KeyFilters.h"
#include "app/LimitedEdit.h"
#include "app/PaintBox.h"
#include "app/Ruler.h"
#include "common/Prompts.h"
#include "devices/TSettingsForm.h"
#include "devices/UsbDeviceTracker.h"
#include "files/SettingsFileCommands.h"
#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"
#include "model/ValueLists.h"
#include "operations/EncoderOperations.h"
#include "operations/OperationUi.h"
#include "operations/TAboutForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

// The logo lives in a static library's resources, which the linker would
// otherwise leave out.
static void initBrevolanResources() { Q_INIT_RESOURCE(brevolan); }

namespace brevolan {

namespace {

const QString Caption = QStringLiteral("RDS/RBDS Encoder - Brevolan 4");
const QString NoDevice = QStringLiteral("< none >");

} // namespace

// The window's side of the encoder operations: they block the event loop, so
// the progress bar is repainted at once.
class WindowOperationUi : public OperationUi {
public:
    WindowOperationUi(QProgressBar *bar, std::function<void()> showDeviceName)
        : m_bar(bar), m_showDeviceName(std::move(showDeviceName))
    {
    }
    void setProgress(int value) override
    {
        m_bar->setValue(value);
        m_bar->repaint();
    }
    void setBusyCursor(bool busy) override
    {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    void deviceIdChanged() override { m_showDeviceName(); }

private:
    QProgressBar *m_bar;
    std::function<void()> m_showDeviceName;
};

struct TMainForm::EncoderLink {
    EncoderLink(TMainForm &window, QProgressBar *bar)
        : ui(bar, [&window] { window.ShowDeviceName(); }),
          link(window.m_link, *window.m_prompts),
          operations(*window.m_model, link, *window.m_preferences, *window.m_prompts, ui)
    {
    }
    WindowOperationUi ui;
    DeviceConnection link;
    EncoderOperations operations;
};

TMainForm::EncoderLink &TMainForm::encoderLink()
{
    if (!m_encoderLink)
        m_encoderLink = std::make_unique<EncoderLink>(*this, PBar);
    return *m_encoderLink;
}

TMainForm::TMainForm(Prompts *prompts, Preferences *preferences, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                              | Qt::WindowCloseButtonHint),
      m_prompts(prompts),
      m_preferences(preferences),
      m_model(std::make_unique<ParameterModel>()),
      m_openUrl([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    initBrevolanResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Caption);
    setWindowIcon(QIcon(QStringLiteral(":/brevolan/brevolan4.png")));
    setFont(windowFont());
    buildControls();
    buildMenu();
    applyTabOrder();
    connectModel();
    guard([this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    guard([this] { FormDestroy(); });
    // The controls go before the model they talk to.
    delete takeCentralWidget();
}

void TMainForm::guard(const std::function<void()> &handler) { runGuarded(*m_prompts, handler); }

// ---------------------------------------------------------------- controls

QLabel *TMainForm::addLabel(const QString &text, int x, int y)
{
    auto *label = new QLabel(text, centralWidget());
    label->setMargin(0);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QComboBox *TMainForm::addList(Param p, int x, int y, int w)
{
    auto *list = new QComboBox(centralWidget());
    list->setObjectName(p == Param::SPEED ? QStringLiteral("Speed") : keyOf(p));
    list->setEditable(false);
    list->setGeometry(x, y, w, 21);
    list->setMaxVisibleItems(16);
    m_lists[indexOf(p)] = list;
    connect(list, &QComboBox::currentIndexChanged, this, [this, p](int index) {
        guard([this, p, index] { m_model->setIndex(p, index); });
    });
    return list;
}

LimitedEdit *TMainForm::addEdit(const QString &name, int x, int y, int w, int h)
{
    auto *edit = new LimitedEdit(centralWidget());
    edit->setObjectName(name);
    edit->setGeometry(x, y, w, h);
    return edit;
}

void TMainForm::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(639, 320);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    auto *etched = new QFrame(client);
    etched->setFrameShape(QFrame::HLine);
    etched->setFrameShadow(QFrame::Sunken);
    etched->setGeometry(0, 0, 639, 2);

    addLabel(QStringLiteral("PI"), 21, 25);
    addLabel(QStringLiteral("Code"), 35, 6);
    PI1 = addEdit(QStringLiteral("PI1"), 35, 21, 47, 21);
    PI1->setTypingLimit(parameterInfo(Param::PI).typingLimit);
    PI1->setUpperCase(true);
    m_edits[indexOf(Param::PI)] = PI1;

    PI1ToPI2 = new QPushButton(QStringLiteral("-->"), client);
    PI1ToPI2->setObjectName(QStringLiteral("PI1ToPI2"));
    PI1ToPI2->setGeometry(93, 21, 37, 21);
    PI2ToPI1 = new QPushButton(QStringLiteral("<--"), client);
    PI2ToPI1->setObjectName(QStringLiteral("PI2ToPI1"));
    PI2ToPI1->setGeometry(140, 21, 37, 21);

    addLabel(QStringLiteral("Call"), 186, 6);
    PI2 = addEdit(QStringLiteral("PI2"), 186, 21, 47, 21);
    PI2->setTypingLimit(4);
    PI2->setUpperCase(true);

    ModeBtn = new QPushButton(client);
    ModeBtn->setObjectName(QStringLiteral("ModeBtn"));
    ModeBtn->setGeometry(246, 21, 86, 21);

    addLabel(QStringLiteral("PTY"), 346, 25);
    addList(Param::PTY, 370, 21, 264);

    const QFont fixed = fixedFont();
    addLabel(QStringLiteral("PS"), 17, 56);
    PS = addEdit(QStringLiteral("PS"), 35, 52, 71, 23);
    PS->setFont(fixed);
    PS->setTypingLimit(parameterInfo(Param::PS).typingLimit);
    m_edits[indexOf(Param::PS)] = PS;

    addLabel(QStringLiteral("PARSE"), 163, 56);
    addList(Param::PARSE, 202, 52, 96);
    addLabel(QStringLiteral("DPSS"), 338, 56);
    addList(Param::DPSS, 370, 52, 96);
    addLabel(QStringLiteral("DRTS"), 505, 56);
    addList(Param::DRTS, 538, 52, 96);

    addLabel(QStringLiteral("MS"), 15, 89);
    addList(Param::MS, 35, 85, 71);
    addLabel(QStringLiteral("TA"), 185, 89);
    TA = addList(Param::TA, 202, 85, 96);
    addLabel(QStringLiteral("TP"), 353, 89);
    addList(Param::TP, 370, 85, 96);
    addLabel(QStringLiteral("DI"), 524, 89);
    addList(Param::DI, 538, 85, 96);

    PB1 = new PaintBox(client);
    PB1->setObjectName(QStringLiteral("PB1"));
    PB1->setGeometry(36, 111, 453, 15);
    PB1->onPaint = [this](PaintBox &box) { guard([this, &box] { PB2Paint(box); }); };

    addLabel(QStringLiteral("DPS"), 9, 132);
    DPS = addEdit(QStringLiteral("DPS"), 35, 127, 458, 23);
    DPS->setFont(fixed);
    DPS->setTypingLimit(parameterInfo(Param::DPS).typingLimit);
    m_edits[indexOf(Param::DPS)] = DPS;

    addLabel(QStringLiteral("SPEED"), 499, 133);
    Speed = addList(Param::SPEED, 538, 129, 96);

    PB2 = new PaintBox(client);
    PB2->setObjectName(QStringLiteral("PB2"));
    PB2->setGeometry(36, 154, 453, 15);
    PB2->onPaint = PB1->onPaint;

    addLabel(QStringLiteral("TEXT"), 3, 174);
    Text = addEdit(QStringLiteral("Text"), 35, 169, 458, 23);
    Text->setFont(fixed);
    Text->setTypingLimit(parameterInfo(Param::TEXT).typingLimit);
    m_edits[indexOf(Param::TEXT)] = Text;

    addLabel(QStringLiteral("ECHO"), 505, 175);
    addList(Param::ECHO, 538, 171, 96);

    const int afLeft[] = {35, 177, 319};
    const int afLabelLeft[] = {12, 154, 296};
    const int afTop[] = {201, 235, 270};
    const int afLabelTop[] = {205, 239, 274};
    for (int i = 0; i < 9; ++i) {
        const Param af = paramAt(indexOf(Param::AF1) + i);
        addLabel(keyOf(af), afLabelLeft[i % 3], afLabelTop[i / 3]);
        addList(af, afLeft[i % 3], afTop[i / 3], 96);
    }

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(419, 210, 220, 44);
    Image1->setPixmap(QPixmap(QStringLiteral(":/brevolan/logo.png")));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    ReadRDSBtn = new QPushButton(QStringLiteral("Read From Encoder"), client);
    ReadRDSBtn->setObjectName(QStringLiteral("ReadRDSBtn"));
    ReadRDSBtn->setGeometry(424, 267, 104, 26);
    SendToRDSBtn = new QPushButton(QStringLiteral("Send To Encoder"), client);
    SendToRDSBtn->setObjectName(QStringLiteral("SendToRDSBtn"));
    SendToRDSBtn->setGeometry(530, 267, 104, 26);

    auto *panel = new QFrame(client);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(0, 299, 639, 21);
    auto *selected = new QLabel(QStringLiteral("Selected device:"), panel);
    selected->adjustSize();
    selected->move(4, 4);
    DevName = new QLabel(NoDevice, panel);
    DevName->setObjectName(QStringLiteral("DevName"));
    QFont bold = font();
    bold.setBold(true);
    DevName->setFont(bold);
    DevName->setGeometry(87, 4, 105, 14);
    PBar = new QProgressBar(panel);
    PBar->setObjectName(QStringLiteral("PBar"));
    PBar->setGeometry(196, 3, 440, 16);
    PBar->setRange(0, ParameterCount);
    PBar->setValue(0);
    PBar->setTextVisible(false);

    PI1->installEventFilter(this);
    PI2->installEventFilter(this);

    connectHandler(PI1ToPI2, &TMainForm::PI1ToPI2Click);
    connectHandler(PI2ToPI1, &TMainForm::PI2ToPI1Click);
    connectHandler(ModeBtn, &TMainForm::ModeBtnClick);
    connectHandler(ReadRDSBtn, &TMainForm::ReadRDSBtnClick);
    connectHandler(SendToRDSBtn, &TMainForm::SendToRDSBtnClick);
}

void TMainForm::buildMenu()
{
    auto addEntry = [this](QWidget *menu, const QString &text, const char *name,
                           void (TMainForm::*handler)(), const QKeySequence &shortcut = {}) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        menu->addAction(action);
        connectHandler(action, handler);
        return action;
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    addEntry(file, QStringLiteral("Reset"), "miReset", &TMainForm::miResetClick);
    file->addSeparator();
    addEntry(file, QStringLiteral("Open"), "miOpen", &TMainForm::miOpenClick, QKeySequence(Qt::Key_F3));
    file->addSeparator();
    addEntry(file, QStringLiteral("Save"), "miSave", &TMainForm::miSaveClick, QKeySequence(Qt::Key_F4));
    addEntry(file, QStringLiteral("Save As..."), "miSaveAs", &TMainForm::miSaveAsClick);
    file->addSeparator();
    addEntry(file, QStringLiteral("Exit"), "miExit", &TMainForm::miExitClick,
             QKeySequence(Qt::ALT | Qt::Key_F4));

    addEntry(menuBar(), QStringLiteral("Device"), "miDevice", &TMainForm::miDeviceClick);

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    addEntry(help, QStringLiteral("Help"), "miHelp", &TMainForm::miHelpClick, QKeySequence(Qt::Key_F1));
    help->addSeparator();
    addEntry(help, QStringLiteral("About"), "miAbout", &TMainForm::miAboutClick);
}

void TMainForm::applyTabOrder()
{
    QList<QWidget *> order{PI1, PI1ToPI2, PI2ToPI1, PI2, ModeBtn};
    for (Param p : {Param::PTY, Param::PS, Param::PARSE, Param::DPSS, Param::DRTS, Param::MS, Param::TA,
                    Param::TP, Param::DI, Param::DPS, Param::SPEED, Param::TEXT, Param::ECHO, Param::AF1,
                    Param::AF2, Param::AF3, Param::AF4, Param::AF5, Param::AF6, Param::AF7, Param::AF8,
                    Param::AF9}) {
        order << (isList(p) ? static_cast<QWidget *>(m_lists[indexOf(p)]) : m_edits[indexOf(p)]);
    }
    order << ReadRDSBtn << SendToRDSBtn;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TMainForm::connectHandler(QAction *action, void (TMainForm::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
}

void TMainForm::connectHandler(QPushButton *button, void (TMainForm::*handler)())
{
    connect(button, &QPushButton::clicked, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
}

// ------------------------------------------------------------ model mirror

void TMainForm::connectModel()
{
    for (Param p : {Param::PI, Param::PS, Param::DPS, Param::TEXT}) {
        connect(m_edits[indexOf(p)], &LimitedEdit::userEdited, this, [this, p](const QString &text) {
            guard([this, p, &text] { m_model->setText(p, text); });
        });
    }
    connect(PI2, &LimitedEdit::userEdited, this, [this](const QString &text) {
        guard([this, &text] { m_model->setCallLetters(text); });
    });

    connect(m_model.get(), &ParameterModel::parameterChanged, this, [this](Param p) { showParameter(p); });
    connect(m_model.get(), &ParameterModel::callLettersChanged, this, [this] { showCallLetters(); });
    connect(m_model.get(), &ParameterModel::modeChanged, this, [this] {
        applyModeControls();
        // The programme-type code stays; its name follows the mode.
        QComboBox *pty = m_lists[indexOf(Param::PTY)];
        const QSignalBlocker blocker(pty);
        pty->clear();
        pty->addItems(ptyList(m_model->rbdsMode()));
        showParameter(Param::PTY);
    });
}

void TMainForm::showParameter(Param p)
{
    if (isList(p)) {
        QComboBox *list = m_lists[indexOf(p)];
        {
            const QSignalBlocker blocker(list);
            list->setCurrentIndex(m_model->index(p));
        }
        // A selection made by the program raises no change event: the
        // colour rule runs here for every way TA is set.
        if (p == Param::TA)
            TAChange();
    } else {
        m_edits[indexOf(p)]->setProgramText(m_model->text(p));
    }
}

void TMainForm::showCallLetters() { PI2->setProgramText(m_model->callLetters()); }

void TMainForm::applyModeControls()
{
    const bool rbds = m_model->rbdsMode();
    // The caption names the mode the window is in.
    ModeBtn->setText(rbds ? QStringLiteral("RBDS") : QStringLiteral("RDS"));
    PI1ToPI2->setEnabled(rbds);
    PI2ToPI1->setEnabled(rbds);
    PI2->setEnabled(rbds);
}

void TMainForm::fillLists()
{
    for (const ParameterInfo &info : parameterTable()) {
        if (info.kind != ParamKind::List)
            continue;
        QComboBox *list = m_lists[indexOf(info.param)];
        const QSignalBlocker blocker(list);
        list->clear();
        list->addItems(entriesOf(info.param, m_model->rbdsMode()));
    }
}

void TMainForm::ResetFields()
{
    applyModeControls();
    fillLists();
    m_model->resetFields();
    for (const ParameterInfo &info : parameterTable())
        showParameter(info.param);
    showCallLetters();
    TAChange();
}

void TMainForm::ShowDeviceName() { DevName->setText(deviceDisplayName(m_link.devId)); }

void TMainForm::TAChange()
{
    const QColor colour = TA->currentIndex() == 0 ? QApplication::palette().color(QPalette::Base)
                                                  : QColor(255, 0, 0);
    // A style sheet, not the palette: the style would draw the palette's
    // button colour as a lightened gradient, and the cue is pure red.
    // A style sheet falls back to the application font: name the window's.
    TA->setStyleSheet(QStringLiteral("QComboBox#TA { background-color: %1; border: 1px solid %2;"
                                     " border-radius: 2px; padding: 1px 18px 1px 3px;"
                                     " font-family: \"%3\"; font-size: %4px; }")
                          .arg(colour.name(), QApplication::palette().color(QPalette::Mid).name(),
                               font().family())
                          .arg(font().pixelSize()));
}

// ------------------------------------------------------ start and shut-down

void TMainForm::FormCreate()
{
    m_link.firstUsbOpen = true;
    m_helpFile = QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("Brevolan4.chm");

    m_baseCaption = windowTitle();
    m_fileCommands = std::make_unique<SettingsFileCommands>(*m_model, *m_prompts, m_baseCaption);
    m_fileCommands->onCaptionChanged = [this](const QString &caption) { setWindowTitle(caption); };

    m_link.devId = m_preferences->readDevId();
    m_model->setRbdsMode(m_preferences->readRdsMode() != 0);

    ResetFields();

    if (isSerialDevId(m_link.devId)) {
        m_link.deviceMissing = false;
        ShowDeviceName();
        m_model->selectSpeed(parseSerialDevId(m_link.devId).speed);
    } else {
        usbPresenceCheck();
        m_model->selectSpeed(QStringLiteral("9600"));
    }

    m_link.usbBaudRate = 9600;

    // Each ruler counts the cells of the edit below it.
    PB1->setFont(DPS->font());
    PB2->setFont(Text->font());

    switchOffFtErrorReport();
    registerUsbNotification();
    PI1->setFocus();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // A mode that cannot be stored is reported, but never keeps the
    // window from closing.
    guard([this] { FormClose(); });
    event->accept();
}

void TMainForm::FormClose() { m_preferences->writeRdsMode(m_model->rbdsMode() ? 1 : 0); }

void TMainForm::FormDestroy() { unregisterUsbNotification(); }

UsbDeviceTracker &TMainForm::usbTracker()
{
    if (!m_usbTracker)
        m_usbTracker = std::make_unique<UsbDeviceTracker>(
            m_link, [this](const QString &caption) { DevName->setText(caption); });
    return *m_usbTracker;
}

void TMainForm::usbPresenceCheck()
{
    // The USB library still reports its failures in boxes during start-up.
    setFtPrompts(m_prompts);
    usbTracker().startUpPresenceCheck();
}

void TMainForm::switchOffFtErrorReport()
{
    FtErrorReport = false;
    // No box can come any more; the library keeps no pointer to our prompts.
    setFtPrompts(nullptr);
}

void TMainForm::registerUsbNotification() { usbTracker().registerNotifications(); }

void TMainForm::unregisterUsbNotification()
{
    if (m_usbTracker)
        m_usbTracker->unregisterNotifications();
}

void TMainForm::centreOnScreen()
{
    adjustSize();
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

// ----------------------------------------------------------------- handlers

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    bool handled = false;
    if (event->type() == QEvent::KeyPress && (watched == PI1 || watched == PI2)) {
        auto *key = static_cast<QKeyEvent *>(event);
        guard([&] { handled = watched == PI1 ? PI1KeyPress(key) : PI2KeyPress(key); });
    } else if (event->type() == QEvent::MouseButtonPress && watched == Image1) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        guard([&] { Image1MouseDown(button); });
        handled = true;
    }
    return handled || QMainWindow::eventFilter(watched, event);
}

bool TMainForm::PI1KeyPress(QKeyEvent *event)
{
    if (!typesCharacter(*event))
        return false;
    const QString typed = event->text();
    return !std::all_of(typed.begin(), typed.end(), piKeyAccepted);
}

bool TMainForm::PI2KeyPress(QKeyEvent *event)
{
    if (!typesCharacter(*event))
        return false;
    const QString typed = event->text();
    return !std::all_of(typed.begin(), typed.end(), callKeyAccepted);
}

void TMainForm::ModeBtnClick()
{
    // Stored only when the window closes.
    m_model->setRbdsMode(!m_model->rbdsMode());
}

void TMainForm::PB2Paint(PaintBox &box)
{
    QPainter painter(&box);
    const int cell = QFontMetrics(box.font()).horizontalAdvance(QLatin1Char('W'));
    drawRuler(painter, rulerTicks(cell, box.width(), box.height()));
}

void TMainForm::Image1MouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    const QString readme = brevolan::readmePath();
    if (!readme.isEmpty())
        m_openUrl(QUrl::fromLocalFile(readme));
}

void TMainForm::miHelpClick()
{
    // A missing help file is not reported.
    if (!m_helpFile.isEmpty() && QFileInfo::exists(m_helpFile))
        m_openUrl(QUrl::fromLocalFile(m_helpFile));
}

void TMainForm::PI1ToPI2Click() { m_model->convertPiToCall(); }

void TMainForm::PI2ToPI1Click() { m_model->convertCallToPi(); }

void TMainForm::miOpenClick() { m_fileCommands->miOpenClick(); }

void TMainForm::miSaveClick() { m_fileCommands->miSaveClick(); }

void TMainForm::miSaveAsClick() { m_fileCommands->miSaveAsClick(); }

void TMainForm::miExitClick() { close(); }

void TMainForm::ReadRDSBtnClick() { encoderLink().operations.ReadRDSBtnClick(); }

void TMainForm::SendToRDSBtnClick() { encoderLink().operations.SendToRDSBtnClick(); }

// Ends with the full read, as a click on ReadRDSBtn would run it.
void TMainForm::miResetClick() { encoderLink().operations.miResetClick(); }

void TMainForm::miAboutClick()
{
    // A transport error ends the handler before the dialog is shown.
    const QString revision = encoderLink().operations.firmwareRevision();
    showAboutDialog(this, revision, m_openUrl);
}

void TMainForm::miDeviceClick()
{
    QStringList speeds;
    for (int i = 0; i < Speed->count(); ++i)
        speeds << Speed->itemText(i);
    runDeviceDialog(this, m_link, *m_preferences, *m_prompts, speeds, [this] { ShowDeviceName(); });
}

} // namespace brevolan
