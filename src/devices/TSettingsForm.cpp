#include "devices/TSettingsForm.h"

#include "app/WindowFonts.h"
#include "common/BrevolanError.h"
#include "common/Prompts.h"
#include "devices/DeviceChange.h"
#include "devices/UsbEncoderList.h"
#include "link/DeviceId.h"
#include "link/LinkState.h"
#include "link/Preferences.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

namespace brevolan {

namespace {
// Where the font runs wider than the layout was drawn for, a caption grows
// to the right rather than being cut.
void fitWidth(QWidget *w)
{
    if (w->sizeHint().width() > w->width())
        w->resize(w->sizeHint().width(), w->height());
}
} // namespace

TSettingsForm::TSettingsForm(QWidget *parent, Prompts &prompts, PortEnumerator ports)
    : QDialog(parent), m_prompts(prompts), m_ports(std::move(ports))
{
    buildControls();
    FormCreate();
}

TSettingsForm::~TSettingsForm() { FormDestroy(); }

void TSettingsForm::buildControls()
{
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(547, 197);
    setSizeGripEnabled(false);
    setFont(windowFont());

    COMRB = new QRadioButton(QStringLiteral("COMM Port devices"), this);
    COMRB->setObjectName(QStringLiteral("COMRB"));
    COMRB->setGeometry(5, 3, 117, 17);
    fitWidth(COMRB);

    Label18 = new QLabel(QStringLiteral("Port"), this);
    Label18->setObjectName(QStringLiteral("Label18"));
    Label18->move(23, 25);
    Label18->adjustSize();

    // Device names on Linux are case-sensitive: the port list shows them as
    // they are, never upper-cased, so that the stored name opens the port.
    Port = new QComboBox(this);
    Port->setObjectName(QStringLiteral("Port"));
    Port->setGeometry(47, 21, 96, 21);
    Port->setEditable(false);
    Port->setEnabled(false);

    Label17 = new QLabel(QStringLiteral("Speed"), this);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label17->move(151, 25);
    Label17->adjustSize();

    Speed = new QComboBox(this);
    Speed->setObjectName(QStringLiteral("Speed"));
    Speed->setGeometry(187, 21, 96, 21);
    Speed->setEditable(false);
    Speed->setEnabled(false);

    USBRB = new QRadioButton(QStringLiteral("USB Devices"), this);
    USBRB->setObjectName(QStringLiteral("USBRB"));
    USBRB->setGeometry(5, 46, 86, 17);
    fitWidth(USBRB);

    LV = new QTreeWidget(this);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setGeometry(23, 65, 523, 96);
    LV->setColumnCount(3);
    LV->setHeaderLabels({QStringLiteral("Device Number"), QStringLiteral("Serial Number"),
                         QStringLiteral("Device Description")});
    LV->setColumnWidth(0, 100);
    LV->setColumnWidth(1, 100);
    LV->setColumnWidth(2, 300);
    LV->header()->setStretchLastSection(false);
    LV->header()->setSectionsClickable(false);
    LV->header()->setSectionsMovable(false);
    LV->setRootIsDecorated(false);
    LV->setItemsExpandable(false);
    LV->setUniformRowHeights(true);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    // The chosen row stays visible while the focus is elsewhere.
    QPalette palette = LV->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    LV->setPalette(palette);
    LV->setEnabled(false);
    LV->viewport()->installEventFilter(this);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(2, 165, 542, 2);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(389, 171, 75, 25);
    OKBtn->setDefault(true);

    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(470, 171, 75, 25);

    QWidget::setTabOrder(COMRB, Port);
    QWidget::setTabOrder(Port, Speed);
    QWidget::setTabOrder(Speed, USBRB);
    QWidget::setTabOrder(USBRB, LV);
    QWidget::setTabOrder(LV, OKBtn);
    QWidget::setTabOrder(OKBtn, Button2);

    // Selecting a radio button, by hand or from the program, updates the
    // controls, as a click does.
    connect(COMRB, &QRadioButton::toggled, this, &TSettingsForm::COMRBClick);
    connect(USBRB, &QRadioButton::toggled, this, &TSettingsForm::COMRBClick);
    connect(OKBtn, &QPushButton::clicked, this, &TSettingsForm::OKBtnClick);
    // Escape and the close box reject as well (QDialog).
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TSettingsForm::FormCreate()
{
    PreselectSerial.clear();
    NotifyHandle = RegisterUsbNotification();
    if (NotifyHandle)
        connect(NotifyHandle.get(), &UsbNotification::deviceChange, this,
                &TSettingsForm::onDeviceChange);
    try {
        QStringList names;
        ListComPorts(names, m_ports);
        Port->addItems(names);
        Port->setCurrentIndex(-1);
    } catch (const BrevolanError &e) {
        // Shown like any error; the attached encoders are listed all the same.
        m_prompts.error(withFullStop(e.message()));
    }
    RefreshUsbList();
}

void TSettingsForm::FormDestroy() { UnregisterUsbNotification(NotifyHandle); }

void TSettingsForm::onDeviceChange(quint32 event, quint32 deviceType)
{
    if (devicechange::isUsbChange(event, deviceType))
        RefreshUsbList();
}

void TSettingsForm::RefreshUsbList()
{
    LV->clear();
    for (const UsbEncoderRow &row : listUsbEncoders())
        new QTreeWidgetItem(LV, {row.caption, row.serialNumber, row.description});
    SelectUsbRow(QString());
}

void TSettingsForm::SelectUsbRow(const QString &serial)
{
    if (!serial.isEmpty())
        PreselectSerial = serial;
    QTreeWidgetItem *row = nullptr;
    if (PreselectSerial.isEmpty()) {
        row = LV->topLevelItem(0);
    } else {
        for (int i = 0; i < LV->topLevelItemCount() && !row; ++i) {
            if (LV->topLevelItem(i)->text(1) == PreselectSerial)
                row = LV->topLevelItem(i);
        }
    }
    if (!row)
        return;
    LV->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LV->scrollToItem(row);
}

void TSettingsForm::UpdateDeviceControls()
{
    const bool com = COMRB->isChecked();
    Port->setEnabled(com);
    Speed->setEnabled(com);
    LV->setEnabled(USBRB->isChecked());
}

void TSettingsForm::COMRBClick() { UpdateDeviceControls(); }

QString TSettingsForm::selectedSerial() const
{
    const QList<QTreeWidgetItem *> rows = LV->selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->text(1);
}

QString TSettingsForm::chosenDevId() const
{
    if (COMRB->isChecked())
        return serialDevId(Port->currentText(), Speed->currentText());
    return usbDevId(selectedSerial());
}

void TSettingsForm::OKBtnClick()
{
    if (COMRB->isChecked()) {
        if (Port->currentIndex() < 0)
            m_prompts.plain(QStringLiteral("No COM port selected"));
        else if (Speed->currentIndex() < 0)
            m_prompts.plain(QStringLiteral("No COM speed selected"));
        else
            accept();
        return;
    }
    if (LV->selectedItems().isEmpty())
        m_prompts.plain(QStringLiteral("No device selected"));
    else
        accept();
}

void TSettingsForm::LVDblClick() { OKBtn->click(); }

bool TSettingsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LV->viewport() && event->type() == QEvent::MouseButtonDblClick)
        LVDblClick();
    return QDialog::eventFilter(watched, event);
}

void TSettingsForm::showEvent(QShowEvent *event)
{
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

namespace {
int entryIndex(const QComboBox *list, const QString &text)
{
    return text.isEmpty() ? -1 : list->findText(text, Qt::MatchFixedString);
}

// The stored port by its name, or else the entry that opens the same device
// ("ttyS0" and "/dev/ttyS0" find "COM1").
int portIndex(const QComboBox *ports, const QString &name)
{
    const int byName = entryIndex(ports, name);
    if (byName >= 0 || name.isEmpty())
        return byName;
    const QString path = serialPortPath(name);
    for (int i = 0; i < ports->count(); ++i) {
        if (serialPortPath(ports->itemText(i)) == path)
            return i;
    }
    return -1;
}
} // namespace

bool runDeviceDialog(QWidget *parent, LinkState &state, Preferences &preferences,
                     Prompts &prompts, const QStringList &speeds,
                     const std::function<void()> &showDeviceName,
                     const DeviceDialogOptions &options)
{
    const auto dialog = std::make_unique<TSettingsForm>(parent, prompts, options.ports);
    dialog->Speed->clear();
    dialog->Speed->addItems(speeds);
    dialog->Speed->setCurrentIndex(-1);
    if (isSerialDevId(state.devId)) {
        dialog->COMRB->setChecked(true);
        const SerialDevId serial = parseSerialDevId(state.devId);
        dialog->Port->setCurrentIndex(portIndex(dialog->Port, serial.port));
        dialog->Speed->setCurrentIndex(entryIndex(dialog->Speed, serial.speed));
    } else {
        dialog->USBRB->setChecked(true);
        dialog->SelectUsbRow(usbSerialOf(state.devId));
    }
    dialog->UpdateDeviceControls();

    const int result = options.run ? options.run(*dialog) : dialog->exec();
    if (result != QDialog::Accepted)
        return false;

    state.devId = dialog->chosenDevId();
    try {
        preferences.writeDevId(state.devId);
    } catch (...) {
        // The new device is in use whether or not it could be stored: the
        // panel shows it before the error is reported.
        if (showDeviceName)
            showDeviceName();
        throw;
    }
    if (showDeviceName)
        showDeviceName();
    return true;
}

} // namespace brevolan
