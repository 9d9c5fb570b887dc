#include "devices/UsbDeviceTracker.h"

#include "devices/DeviceChange.h"
#include "devices/UsbDevicePresent.h"
#include "link/DeviceId.h"

namespace brevolan {

UsbDeviceTracker::UsbDeviceTracker(LinkState &state, CaptionSink showCaption, PresenceTest present)
    : m_state(state), m_showCaption(std::move(showCaption)),
      m_present(present ? std::move(present) : PresenceTest(&UsbDevicePresent))
{
}

UsbDeviceTracker::~UsbDeviceTracker() = default;

void UsbDeviceTracker::showDeviceName()
{
    if (m_showCaption)
        m_showCaption(deviceDisplayName(m_state.devId));
}

void UsbDeviceTracker::startUpPresenceCheck()
{
    if (m_present(m_state.devId)) {
        m_state.deviceMissing = false;
        showDeviceName();
    } else {
        // The panel still shows its design text "< none >".
        m_state.deviceMissing = true;
    }
}

void UsbDeviceTracker::onDeviceChange(quint32 event, quint32 deviceType)
{
    if (devicechange::isUsbArrival(event, deviceType))
        onArrival();
    else if (devicechange::isUsbRemoval(event, deviceType))
        onRemoval();
}

void UsbDeviceTracker::onArrival()
{
    // Tested in this order, stopping at the first that fails: an arrival
    // while the encoder is known to be there lists nothing.
    if (!m_state.deviceMissing || !isUsbDevId(m_state.devId) || !m_present(m_state.devId))
        return;
    m_state.deviceMissing = false;
    showDeviceName();
}

void UsbDeviceTracker::onRemoval()
{
    if (!isUsbDevId(m_state.devId) || m_present(m_state.devId))
        return;
    m_state.deviceMissing = true;
    if (m_showCaption)
        m_showCaption(NoDeviceCaption);
    // Whatever speed was sent to the old attachment, the next opening
    // assumes a freshly attached encoder at 9600.
    m_state.usbBaudRate = 9600;
}

void UsbDeviceTracker::registerNotifications()
{
    NotifyHandle = RegisterUsbNotification();
    if (NotifyHandle)
        QObject::connect(NotifyHandle.get(), &UsbNotification::deviceChange, NotifyHandle.get(),
                         [this](quint32 event, quint32 deviceType) { onDeviceChange(event, deviceType); });
}

void UsbDeviceTracker::unregisterNotifications() { UnregisterUsbNotification(NotifyHandle); }

} // namespace brevolan
