#pragma once
// USB device notifications from udev: a "udev" netlink monitor (not
// "kernel": kernel events come before the rules have set the device's
// permissions, so listing the new device could fail) for subsystem usb,
// devtype usb_device, read on the GUI thread through a QSocketNotifier, so
// events also reach a modal dialog's event loop. Only "add" and "remove"
// become events; bind, unbind and change (which follow every add and our own
// driver re-attach) are ignored.

#include "devices/UsbNotification.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace brevolan {

class UdevUsbMonitor : public UsbNotification {
    Q_OBJECT
public:
    // Null when libudev cannot set up a monitor at all.
    static std::unique_ptr<UdevUsbMonitor> open();
    ~UdevUsbMonitor() override;

    // Whether a udev daemon runs to send events; without one the monitor
    // opens but stays silent.
    bool isActive() const override;

    // Maps a udev action to the device-change event it stands for; 0 for
    // actions that are no event of ours.
    static quint32 eventForAction(const char *action);

private:
    UdevUsbMonitor(struct udev *udev, struct udev_monitor *monitor);
    void receive();

    struct udev *m_udev;
    struct udev_monitor *m_monitor;
    QSocketNotifier *m_notifier;
};

} // namespace brevolan
