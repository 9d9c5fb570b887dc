#include "app/QtPrompts.h"
#include "app/TMainForm.h"
#include "link/Preferences.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevolan 4"));

    brevolan::QtPrompts prompts;
    brevolan::Preferences preferences;
    brevolan::TMainForm form(&prompts, &preferences);
    prompts.setFallbackParent(&form);
    form.centreOnScreen();
    form.show();
    return QApplication::exec();
}
