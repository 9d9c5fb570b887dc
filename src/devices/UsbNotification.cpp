#include "devices/UsbNotification.h"

#include "devices/UdevUsbMonitor.h"

namespace brevolan {

namespace {
UsbNotificationFactory &installedFactory()
{
    static UsbNotificationFactory factory;
    return factory;
}
} // namespace

void setUsbNotificationFactory(UsbNotificationFactory factory)
{
    installedFactory() = std::move(factory);
}

UsbNotificationHandle RegisterUsbNotification()
{
    if (installedFactory())
        return installedFactory()();
    return UdevUsbMonitor::open();
}

bool UnregisterUsbNotification(UsbNotificationHandle &handle)
{
    if (!handle)
        return false;
    handle.reset();
    return true;
}

} // namespace brevolan
