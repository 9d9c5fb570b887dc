#pragma once
// The state the main window holds for the encoder link. It lives in the core
// so that the window, the companion and the tests share one implementation of
// the connection and the operations.

#include "link/DeviceId.h"
#include <QString>

namespace brevolan {

struct LinkState {
    QString devId = DefaultDevId;   // the selected device, read afresh by every link call
    QString comPortName;            // taken from devId at every serial open
    qint32 comBaudRate = 0;         // taken from devId at every serial open
    qint32 usbBaudRate = 9600;      // rate programmed into the USB device at every open
    bool firstUsbOpen = true;       // until the run's first OpenDevice
    bool deviceMissing = false;     // the selected USB encoder was found absent
};

} // namespace brevolan
