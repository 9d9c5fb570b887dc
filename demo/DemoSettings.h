#pragma once
// The demo keeps its stored preferences (and the file dialogs' memory) in a
// folder of its own, so a demonstration never changes the device or mode
// the real program starts with.

#include <QString>

namespace brevolan::demo {

// $XDG_STATE_HOME/brevolan4-demo, or ~/.local/state/brevolan4-demo when
// XDG_STATE_HOME is unset or not an absolute path (XDG base directories).
QString demoStateDir();

// Creates dir and points every per-user settings store of the process at
// it; on the first run (no DevID stored there yet) preselects firstDevId.
// Returns an empty string on success, else what went wrong.
QString isolatePreferences(const QString &dir, const QString &firstDevId);

} // namespace brevolan::demo
