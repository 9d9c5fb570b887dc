#pragma once
// The application as the program entry starts it: the prompts, the stored
// preferences and the main window, shown centred, then the event loop until
// the window closes. brevolan4 and brevolan4-demo both run it, so the demo
// is the real program on a simulated bus.

namespace brevolan {

// Needs a QApplication; returns the event loop's exit code.
int runMainWindow();

} // namespace brevolan
