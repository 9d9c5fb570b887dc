#pragma once
// A DeviceConnection already open on one of the two transports, with the
// test holding the far end: a raw pty peer for "serial", the scripted FTDI
// bus for "usb". No handshake is made, so the bytes a test feeds are all the
// connection sees.

#include "FakeFtdiDriver.h"
#include "PtyPeer.h"

#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/TXComm.h"
#include "support/ScriptedPrompts.h"

#include <QThread>

namespace brevolan::test {

class LinkFixture {
public:
    static constexpr const char *UsbSerial = "FT1A2B3C";

    explicit LinkFixture(const QString &transport)
        : serial(transport == QLatin1String("serial")), connection(state, prompts)
    {
        bus.devices = {{UsbSerial, "Brevolan 4 RDS/RBDS Encoder"}};
        setFtdiDriver(&bus);
        setFtPrompts(&prompts);
        FtErrorReport = false;
        if (serial) {
            state.devId = serialDevId(peer.slavePath(), QStringLiteral("9600"));
            TXComm &port = connection.xcomm();
            port.setDeviceName(peer.slavePath());
            port.setBaudValue(9600);
            port.open();
        } else {
            state.devId = usbDevId(QString::fromLatin1(UsbSerial));
            Open_USB_Device_By_Serial_Number(QString::fromLatin1(UsbSerial));
            SetFTTimeouts(500, 500);
        }
    }
    ~LinkFixture()
    {
        if (!serial)
            CloseFTDevice();
        setFtdiDriver(nullptr);
        setFtPrompts(nullptr);
    }

    // Bytes from the encoder, in the transport's input queue on return.
    void feed(const QByteArray &bytes)
    {
        if (serial) {
            peer.send(bytes);
            QThread::msleep(30);
        } else {
            bus.feed(bytes);
        }
    }
    // The encoder goes away: pty hang-up or USB unplug.
    void vanish()
    {
        if (serial)
            peer.hangUp();
        else
            bus.unplug();
    }

    const bool serial;
    PtyPeer peer;
    FakeFtdiDriver bus;
    ScriptedPrompts prompts;
    LinkState state;
    DeviceConnection connection;
};

} // namespace brevolan::test
