#include "operations/TAboutForm.h"

#include "app/WindowFonts.h"

#include "operations/ReadmeLocation.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <memory>

namespace brevolan {

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(239, 107);
    setFont(windowFont());

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(10, 5, 220, 44);
    m_image1->setPixmap(QPixmap(QStringLiteral(":/brevolan/logo.png")));
    m_image1->setScaledContents(true);
    m_image1->setAttribute(Qt::WA_TranslucentBackground);
    m_image1->setCursor(Qt::PointingHandCursor);
    m_image1->installEventFilter(this);

    m_label1 = new QLabel(QStringLiteral("Firmware revision:"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->move(4, 56);
    m_label1->adjustSize();

    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    // Where the caption runs wider than the layout was drawn for, the
    // revision moves right rather than over it.
    m_label2->move(qMax(92, m_label1->geometry().right() + 4), 56);

    m_button1 = new QPushButton(QStringLiteral("OK"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setGeometry(82, 75, 75, 25);
    m_button1->setDefault(true);
    m_button1->setAutoDefault(true);
    // Escape rejects the dialog, which closes it the same way.
    connect(m_button1, &QPushButton::clicked, this, &QDialog::accept);

    setRevision(QString());
    setDocumentOpener(nullptr);
}

QString TAboutForm::notConnectedText() { return QStringLiteral("< not connected >"); }

void TAboutForm::setRevision(const QString &revision)
{
    m_label2->setText(revision.isEmpty() ? notConnectedText() : revision);
    m_label2->adjustSize();
}

void TAboutForm::Image1MouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    const QString path = readmePath();
    // Nothing to open is not worth a box: the dialog stays as it is.
    if (!path.isEmpty())
        m_openDocument(QUrl::fromLocalFile(path));
}

void TAboutForm::setDocumentOpener(DocumentOpener opener)
{
    m_openDocument = opener ? std::move(opener)
                            : DocumentOpener([](const QUrl &url) { QDesktopServices::openUrl(url); });
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_image1 && event->type() == QEvent::MouseButtonPress) {
        Image1MouseDown(static_cast<QMouseEvent *>(event)->button());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not on the window that opened it.
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void showAboutDialog(QWidget *parent, const QString &revision, TAboutForm::DocumentOpener opener)
{
    const auto dialog = std::make_unique<TAboutForm>(parent);
    dialog->setRevision(revision);
    dialog->setDocumentOpener(std::move(opener));
    dialog->exec();
}

} // namespace brevolan
