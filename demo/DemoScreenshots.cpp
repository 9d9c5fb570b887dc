// Draws the README's pictures of the demo: the main window after reading
// the station encoder, and the About dialog with the encoder's revision.
// Everything runs through the window's own buttons and menu; nothing is
// stored outside a scratch folder.
// Usage: brevolan4-demo-screenshots MAIN.png ABOUT.png   (demo/screenshots.sh)

#include "app/TMainForm.h"
#include "common/Prompts.h"
#include "demo/DemoBus.h"
#include "demo/DemoSettings.h"
#include "link/DeviceId.h"
#include "link/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace brevolan;

namespace {

// Boxes are recorded, not shown: "Done." would stop the run.
class QuietPrompts : public Prompts {
public:
    void error(const QString &text) override { errors << text; }
    void information(const QString &) override {}
    void plain(const QString &text) override { errors << text; }
    bool confirm(const QString &) override { return false; }
    QString openFileName(const FileDialogOptions &) override { return {}; }
    QString saveFileName(const FileDialogOptions &) override { return {}; }
    QStringList errors;
};

void complain(const QString &message)
{
    std::fprintf(stderr, "brevolan4-demo-screenshots: %s\n", qPrintable(message));
}

bool save(QWidget *widget, const QString &path)
{
    if (widget->grab().save(path, "PNG"))
        return true;
    complain(QStringLiteral("cannot write %1").arg(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevolan 4"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: brevolan4-demo-screenshots MAIN.png ABOUT.png\n");
        return 2;
    }
    const QString mainPath = QString::fromLocal8Bit(argv[1]);
    const QString aboutPath = QString::fromLocal8Bit(argv[2]);

    QTemporaryDir scratch;
    const QString problem = demo::isolatePreferences(scratch.path(), usbDevId(QString::fromLatin1(demo::StationSerial)));
    if (!scratch.isValid() || !problem.isEmpty()) {
        complain(problem.isEmpty() ? QStringLiteral("no scratch folder") : problem);
        return 1;
    }

    demo::DemoBus bus;
    QuietPrompts prompts;
    Preferences preferences;
    TMainForm form(&prompts, &preferences);
    form.show();
    QApplication::processEvents();

    form.findChild<QPushButton *>(QStringLiteral("ReadRDSBtn"))->click();
    if (!prompts.errors.isEmpty()) {
        complain(QStringLiteral("Read failed: %1").arg(prompts.errors.join(QLatin1Char(' '))));
        return 1;
    }
    QApplication::processEvents();
    bool ok = save(&form, mainPath);

    // About is modal: picture it from inside its own event loop.
    bool aboutSeen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        aboutSeen = true;
        QApplication::processEvents();
        ok = save(dialog, aboutPath) && ok;
        dialog->accept();
    });
    poll.start();
    QTimer::singleShot(10000, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    form.findChild<QAction *>(QStringLiteral("miAbout"))->trigger();
    poll.stop();
    if (!aboutSeen) {
        complain(QStringLiteral("the About dialog did not open"));
        ok = false;
    }
    return ok ? 0 : 1;
}
