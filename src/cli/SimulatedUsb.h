#pragma once
// BREVOLAN_SIMULATED_USB="SERIAL[,SERIAL...]": simulated encoders on a
// simulated FTDI bus instead of the real one, for tests and demonstrations
// of the companion's commands on a machine without USB encoders.

namespace brevolan::cli {

// Does nothing when the variable is unset or empty.
void installSimulatedUsbFromEnvironment();

} // namespace brevolan::cli
