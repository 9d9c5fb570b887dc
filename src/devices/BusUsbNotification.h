#pragma once
// A registration fed by an in-process device bus that raises deviceArrived()
// and deviceRemoved() signals, such as the simulated FTDI bus of the tests
// and the demo. A template, so the core knows nothing of the simulator:
//
//     setUsbNotificationFactory([&bus] { return notificationFromBus(&bus); });

#include "devices/DeviceChange.h"
#include "devices/UsbNotification.h"

namespace brevolan {

class BusUsbNotification : public UsbNotification {
    Q_OBJECT
public:
    using UsbNotification::UsbNotification;
    bool isActive() const override { return true; }
    void arrived() { Q_EMIT deviceChange(devicechange::DeviceArrival, devicechange::TypeDeviceInterface); }
    void removed() { Q_EMIT deviceChange(devicechange::DeviceRemoveComplete, devicechange::TypeDeviceInterface); }
};

template <class Bus>
UsbNotificationHandle notificationFromBus(Bus *bus)
{
    auto notification = std::make_unique<BusUsbNotification>();
    BusUsbNotification *n = notification.get();
    QObject::connect(bus, &Bus::deviceArrived, n, [n] { n->arrived(); });
    QObject::connect(bus, &Bus::deviceRemoved, n, [n] { n->removed(); });
    return notification;
}

} // namespace brevolan
