#pragma once
#include <QStringList>
#include <cstdio>

namespace brevolan::cli {

// Runs the companion with its arguments (without the program name); writes to
// out and err and returns the exit code.
int runCompanion(const QStringList &args, FILE *out, FILE *err);

} // namespace brevolan::cli
