#pragma once
#include <QStringList>
#include <cstdio>

namespace brevolan::cli {

// The companion's device commands: read, send, reset, rev, get, set, devices.
// command is the first argument, args the rest. Returns the exit code.
bool isDeviceCommand(const QString &command);
int runDeviceCommand(const QString &command, const QStringList &args, FILE *out, FILE *err);

} // namespace brevolan::cli
