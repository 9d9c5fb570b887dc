#include "app/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace brevolan {

namespace {
const QString Title = QStringLiteral("Brevolan 4");

int showBox(QWidget *parent, QMessageBox::Icon icon, const QString &text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, Title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

QString runFileDialog(QWidget *parent, const FileDialogOptions &options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!options.filter.isEmpty())
        dialog.setNameFilters(options.filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.initialName.isEmpty())
        dialog.selectFile(options.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QWidget *QtPrompts::parent() const
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_fallbackParent;
}

void QtPrompts::error(const QString &text)
{
    showBox(parent(), QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompts::information(const QString &text)
{
    showBox(parent(), QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompts::plain(const QString &text)
{
    showBox(parent(), QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompts::confirm(const QString &text)
{
    return showBox(parent(), QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes)
        == QMessageBox::Yes;
}

QString QtPrompts::openFileName(const FileDialogOptions &options)
{
    return runFileDialog(parent(), options, QFileDialog::AcceptOpen);
}

QString QtPrompts::saveFileName(const FileDialogOptions &options)
{
    // QFileDialog asks before it overwrites an existing file.
    return runFileDialog(parent(), options, QFileDialog::AcceptSave);
}

} // namespace brevolan
