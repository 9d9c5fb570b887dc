// Draws the device selection dialog into a PNG: two encoders and a foreign
// FTDI device on the simulated bus, the second encoder selected.
// Usage: device_dialog_screenshot <out.png>   (see scripts/make-device-dialog-screenshot.sh)

#include "devices/BusUsbNotification.h"
#include "devices/TSettingsForm.h"
#include "link/D2XXUnit.h"
#include "link/LinkState.h"
#include "link/Preferences.h"
#include "sim/SimulatedFtdiBus.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QTextStream>

using namespace brevolan;

namespace {
// Nothing is stored: the picture must not change anyone's settings.
class NoPreferences : public Preferences {
public:
    void writeDevId(const QString &) override {}
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevolan 4"));
    if (argc != 2) {
        QTextStream(stderr) << "usage: device_dialog_screenshot <out.png>\n";
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    sim::SimulatedFtdiBus bus;
    bus.attach("FT4RB7QX", "Brevolan 4 RDS/RBDS Encoder", std::make_shared<sim::EncoderEngine>());
    bus.attach("A50285BI", "FT232R USB UART");
    bus.attach("FT4RC2MD", "Brevolan 4 RDS/RBDS Encoder", std::make_shared<sim::EncoderEngine>());
    setFtdiDriver(&bus);
    FtErrorReport = false;
    setUsbNotificationFactory([&bus] { return notificationFromBus(&bus); });

    test::ScriptedPrompts prompts;
    NoPreferences preferences;
    LinkState state;
    state.devId = usbDevId(QStringLiteral("FT4RC2MD"));

    bool saved = false;
    DeviceDialogOptions options;
    options.ports = [] {
        return std::optional<QStringList>({"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"});
    };
    options.run = [&](TSettingsForm &dialog) {
        dialog.show();
        QApplication::processEvents();
        saved = dialog.grab().save(out, "PNG");
        return int(QDialog::Rejected);
    };
    const QStringList speeds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    runDeviceDialog(nullptr, state, preferences, prompts, speeds, {}, options);

    setUsbNotificationFactory({});
    setFtdiDriver(nullptr);
    if (!saved) {
        QTextStream(stderr) << "cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
