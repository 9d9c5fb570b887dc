#pragma once
// What the encoder operations need of the window around them, so that the
// operations live in the core and the window, the companion and the tests can
// each stand behind them.

namespace brevolan {

class OperationUi {
public:
    virtual ~OperationUi() = default;

    // The progress bar (0..23); the window repaints it at once, since the
    // operation blocks the event loop until it ends.
    virtual void setProgress(int value) = 0;
    // The application-wide hourglass. Calls come in pairs (true, then false)
    // and may nest: Reset shows it around the Read that it triggers.
    virtual void setBusyCursor(bool busy) = 0;
    // DevID has changed (and is stored): ShowDeviceName.
    virtual void deviceIdChanged() = 0;
    // Sleep of the calling thread, as between the speed switch and the reopen.
    virtual void pause(int ms);
};

} // namespace brevolan
