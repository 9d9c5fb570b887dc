#include "cli/SimulatedUsb.h"

#include "link/D2XXUnit.h"
#include "sim/EncoderEngine.h"
#include "sim/SimulatedFtdiBus.h"

#include <QByteArray>
#include <memory>

namespace brevolan::cli {

void installSimulatedUsbFromEnvironment()
{
    const QByteArray serials = qgetenv("BREVOLAN_SIMULATED_USB");
    if (serials.isEmpty())
        return;
    static sim::SimulatedFtdiBus bus;
    for (const QByteArray &serial : serials.split(',')) {
        const QByteArray trimmed = serial.trimmed();
        if (!trimmed.isEmpty())
            bus.attach(trimmed, QByteArrayLiteral("Brevolan 4 RDS/RBDS Encoder"), std::make_shared<sim::EncoderEngine>());
    }
    setFtdiDriver(&bus);
}

} // namespace brevolan::cli
