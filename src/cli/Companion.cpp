#include "cli/Companion.h"

namespace brevolan::cli {

int runCompanion(const QStringList &, FILE *, FILE *) { return 0; }

} // namespace brevolan::cli
