#pragma once
// brevolan4-cli watch --device DEVID [--key TEXT] [--key DPS] [--prefix TEXT] SOURCE
//
// "Now playing": keeps the encoder's radio text up to date with what the
// playout system writes, the first line of the file SOURCE or each line of
// standard input ("-"). Runs until SIGINT or SIGTERM (or, for standard input,
// until its end once the newest text is on air); exit 0 then, 2 for a usage
// error, 1 when the source cannot be watched. A silent or missing encoder
// never ends it.

#include <QStringList>
#include <cstdio>

namespace brevolan::cli {

int runWatchCommand(const QStringList &args, FILE *out, FILE *err);

} // namespace brevolan::cli
