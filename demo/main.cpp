// brevolan4-demo: the real Brevolan 4 window on a simulated USB bus, with
// preferences of its own, for trying the program without an encoder.
#include "app/RunMainWindow.h"
#include "demo/DemoBus.h"
#include "demo/DemoSettings.h"
#include "link/DeviceId.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

using namespace brevolan;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevolan 4"));

    const QString dir = demo::demoStateDir();
    const QString problem = demo::isolatePreferences(dir, usbDevId(QString::fromLatin1(demo::StationSerial)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "brevolan4-demo: %s\n", qPrintable(problem));
        return 1;
    }
    // Open and Save As start in the demo folder.
    QDir::setCurrent(dir);

    demo::DemoBus bus;
    std::fprintf(stderr,
                 "brevolan4-demo: simulated USB encoders %s (station values) and %s (factory values),\n"
                 "                and a foreign FTDI device %s; preferences and files in %s\n",
                 demo::StationSerial.constData(), demo::SpareSerial.constData(),
                 demo::ForeignSerial.constData(), qPrintable(dir));
    return runMainWindow();
}
