#pragma once
// A window's registration for USB device notifications. The object is the
// registration: RegisterUsbNotification creates it, UnregisterUsbNotification
// (or the owner's destruction) destroys it, and it delivers device-change
// events on the GUI thread for exactly that time.
//
// Producers: the udev monitor (real devices) and, for tests and the demo, the
// simulated FTDI bus (BusUsbNotification.h). A process-wide factory decides
// which one a registration gets.

#include <QObject>
#include <functional>
#include <memory>

namespace brevolan {

class UsbNotification : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // False when the source can never deliver anything (no udev daemon, as
    // in containers): the program then works on without hot-plug.
    virtual bool isActive() const = 0;

Q_SIGNALS:
    // event: a DBT_* code of DeviceChange.h; deviceType: a DBT_DEVTYP_* code.
    void deviceChange(quint32 event, quint32 deviceType);
};

using UsbNotificationHandle = std::unique_ptr<UsbNotification>;
using UsbNotificationFactory = std::function<UsbNotificationHandle()>;

// Installs the source of every later registration; an empty factory restores
// the udev monitor.
void setUsbNotificationFactory(UsbNotificationFactory factory);

// Null when the registration failed (no notifications then; nothing is shown).
UsbNotificationHandle RegisterUsbNotification();
// Destroys the registration; false when there was none.
bool UnregisterUsbNotification(UsbNotificationHandle &handle);

} // namespace brevolan
