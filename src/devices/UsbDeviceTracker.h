#pragma once
// How the main window follows the selected USB encoder: the start-up presence
// check and the reactions to USB arrivals and removals, over the window's
// LinkState. The status panel is reached through a callback that receives
// the caption to show ("USB " + serial number, or "< none >").
//
//   removal, USB DevID, encoder absent      -> DeviceMissing, "< none >", UsbBaudRate 9600
//   arrival, DeviceMissing, USB DevID,
//            encoder present                 -> not missing, the device's name
//   anything else                            -> nothing changes

#include "devices/UsbNotification.h"
#include "link/LinkState.h"

#include <QString>
#include <functional>

namespace brevolan {

inline const QString NoDeviceCaption = QStringLiteral("< none >");

class UsbDeviceTracker {
public:
    using PresenceTest = std::function<bool(const QString &devId)>;
    using CaptionSink = std::function<void(const QString &caption)>;

    // present defaults to UsbDevicePresent (through D2XXUnit's listing).
    UsbDeviceTracker(LinkState &state, CaptionSink showCaption, PresenceTest present = {});
    ~UsbDeviceTracker();
    UsbDeviceTracker(const UsbDeviceTracker &) = delete;
    UsbDeviceTracker &operator=(const UsbDeviceTracker &) = delete;

    // Start-up, for a DevID that does not name a serial port: the panel shows
    // the device when it is attached and keeps "< none >" otherwise.
    void startUpPresenceCheck();

    // Filters an event as both windows do, then onArrival or onRemoval.
    void onDeviceChange(quint32 event, quint32 deviceType);
    void onArrival();
    void onRemoval();

    // The window's registration, from the end of start-up until it is
    // destroyed. A failed registration is not reported.
    void registerNotifications();
    void unregisterNotifications();
    const UsbNotification *notifyHandle() const { return NotifyHandle.get(); }

private:
    void showDeviceName();

    LinkState &m_state;
    CaptionSink m_showCaption;
    PresenceTest m_present;
    UsbNotificationHandle NotifyHandle;
};

} // namespace brevolan
