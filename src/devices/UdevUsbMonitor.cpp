#include "devices/UdevUsbMonitor.h"

#include "devices/DeviceChange.h"

#include <QPointer>
#include <QSocketNotifier>
#include <cstring>
#include <libudev.h>
#include <unistd.h>

namespace brevolan {

std::unique_ptr<UdevUsbMonitor> UdevUsbMonitor::open()
{
    struct udev *udev = udev_new();
    if (!udev)
        return nullptr;
    struct udev_monitor *monitor = udev_monitor_new_from_netlink(udev, "udev");
    if (!monitor
        || udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(udev);
        return nullptr;
    }
    return std::unique_ptr<UdevUsbMonitor>(new UdevUsbMonitor(udev, monitor));
}

UdevUsbMonitor::UdevUsbMonitor(struct udev *udev, struct udev_monitor *monitor)
    : m_udev(udev), m_monitor(monitor),
      m_notifier(new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevUsbMonitor::receive);
}

UdevUsbMonitor::~UdevUsbMonitor()
{
    // The notifier must let go of the descriptor before the monitor closes it.
    delete m_notifier;
    udev_monitor_unref(m_monitor);
    udev_unref(m_udev);
}

bool UdevUsbMonitor::isActive() const
{
    // udevd's control socket exists exactly while the daemon runs.
    return ::access("/run/udev/control", F_OK) == 0;
}

quint32 UdevUsbMonitor::eventForAction(const char *action)
{
    if (!action)
        return 0;
    if (std::strcmp(action, "add") == 0)
        return devicechange::DeviceArrival;
    if (std::strcmp(action, "remove") == 0)
        return devicechange::DeviceRemoveComplete;
    return 0;
}

void UdevUsbMonitor::receive()
{
    // The monitor's socket does not block: drain everything that is queued,
    // so several devices plugged at once are not left waiting for the next
    // wake-up. Handlers may re-list devices, so decide first, then emit.
    QList<quint32> events;
    while (struct udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const quint32 event = eventForAction(udev_device_get_action(device));
        udev_device_unref(device);
        if (event != 0)
            events.append(event);
    }
    const QPointer<UdevUsbMonitor> alive(this);
    for (quint32 event : events) {
        Q_EMIT deviceChange(event, devicechange::TypeDeviceInterface);
        if (!alive)   // a handler ended the registration
            return;
    }
}

} // namespace brevolan
