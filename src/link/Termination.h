#pragma once
// "The application is terminating": one process-wide flag that every wait for
// the encoder looks at, so that a quit (window closed, SIGINT/SIGTERM in the
// companion) ends a wait without its timeout, even a wait without limit.
// Setting it is async-signal-safe.

namespace brevolan {

void requestTermination() noexcept;
bool terminationRequested() noexcept;
// Tests only: a run that has been told to end does not start again.
void clearTerminationRequest() noexcept;

} // namespace brevolan
