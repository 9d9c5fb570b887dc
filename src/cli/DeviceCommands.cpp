#include "cli/DeviceCommands.h"

namespace brevolan::cli {

bool isDeviceCommand(const QString &) { return false; }
int runDeviceCommand(const QString &, const QStringList &, FILE *, FILE *) { return 2; }

} // namespace brevolan::cli
