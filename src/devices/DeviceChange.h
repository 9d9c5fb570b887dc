#pragma once
// Device-change events as both windows receive them: an event code and the
// type of the device broadcast. Only the arrival and the completed removal
// of a device interface count; a query before removal, a cancelled removal,
// volume and port broadcasts and the like are ignored. The interface class
// and the device name are never examined: every USB device counts.

#include <QtGlobal>

namespace brevolan::devicechange {

inline constexpr quint32 DeviceArrival = 0x8000;           // DBT_DEVICEARRIVAL
inline constexpr quint32 QueryRemove = 0x8001;             // DBT_DEVICEQUERYREMOVE
inline constexpr quint32 QueryRemoveFailed = 0x8002;       // DBT_DEVICEQUERYREMOVEFAILED
inline constexpr quint32 RemovePending = 0x8003;           // DBT_DEVICEREMOVEPENDING
inline constexpr quint32 DeviceRemoveComplete = 0x8004;    // DBT_DEVICEREMOVECOMPLETE
inline constexpr quint32 DevNodesChanged = 0x0007;         // DBT_DEVNODES_CHANGED

inline constexpr quint32 TypeVolume = 2;                   // DBT_DEVTYP_VOLUME
inline constexpr quint32 TypePort = 3;                     // DBT_DEVTYP_PORT
inline constexpr quint32 TypeDeviceInterface = 5;          // DBT_DEVTYP_DEVICEINTERFACE

inline constexpr bool isUsbArrival(quint32 event, quint32 deviceType)
{
    return event == DeviceArrival && deviceType == TypeDeviceInterface;
}

inline constexpr bool isUsbRemoval(quint32 event, quint32 deviceType)
{
    return event == DeviceRemoveComplete && deviceType == TypeDeviceInterface;
}

inline constexpr bool isUsbChange(quint32 event, quint32 deviceType)
{
    return isUsbArrival(event, deviceType) || isUsbRemoval(event, deviceType);
}

} // namespace brevolan::devicechange
