#pragma once
// The About dialog: the maker's logo, the encoder's firmware revision or
// "< not connected >", and OK. Created for each showing, destroyed after.

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace brevolan {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);

    // The revision, or "< not connected >" when it is empty.
    void setRevision(const QString &revision);
    // A press on the logo: the left button opens the README; others do nothing.
    void Image1MouseDown(Qt::MouseButton button);

    // How a document is opened with the default application (default:
    // QDesktopServices); the window passes its own, tests record the requests.
    using DocumentOpener = std::function<void(const QUrl &)>;
    void setDocumentOpener(DocumentOpener opener);

    static QString notConnectedText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_image1;
    QLabel *m_label1;
    QLabel *m_label2;
    QPushButton *m_button1;
    DocumentOpener m_openDocument;
};

// miAboutClick's dialog: shown modally, destroyed when it closes.
void showAboutDialog(QWidget *parent, const QString &revision,
                     TAboutForm::DocumentOpener opener = TAboutForm::DocumentOpener());

} // namespace brevolan
