#include "app/RunMainWindow.h"

#include "app/QtPrompts.h"
#include "app/TMainForm.h"
#include "link/Preferences.h"

#include <QApplication>

namespace brevolan {

int runMainWindow()
{
    QtPrompts prompts;
    Preferences preferences;
    TMainForm form(&prompts, &preferences);
    prompts.setFallbackParent(&form);
    form.centreOnScreen();
    form.show();
    return QApplication::exec();
}

} // namespace brevolan
