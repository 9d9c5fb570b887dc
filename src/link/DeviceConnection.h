#pragma once
// The single doorway through which every encoder operation reaches the
// encoder. Each call decides the transport afresh from the first character of
// DevID: "1" the serial port (TXComm), anything else the FTDI USB device
// (D2XXUnit). Pattern: OpenDevice; if true, SendCommand/WaitReply exchanges;
// then CloseDevice exactly once.

#include "link/LinkState.h"

#include <QByteArray>
#include <QList>
#include <memory>

namespace brevolan {

class Prompts;
class TXComm;

class DeviceConnection {
public:
    DeviceConnection(LinkState &state, Prompts &prompts);
    ~DeviceConnection();
    DeviceConnection(const DeviceConnection &) = delete;
    DeviceConnection &operator=(const DeviceConnection &) = delete;

    // True: open, and the encoder answered a bare CR with "NO" (5 attempts of
    // 200 ms). False: the USB device did not open (nothing shown), or the
    // encoder stayed silent (device closed again, the communications-error
    // box shown). Raises the serial component's errors and the integer
    // conversion error for a speed that is no integer.
    bool OpenDevice();
    void CloseDevice();
    // Writes the bytes unchanged; the caller supplies the CR.
    void SendCommand(const QByteArray &command);
    // Collects received bytes (NUL dropped) into reply until it contains one
    // of the expected texts; returns that text's position, or -1 on timeout,
    // an empty list, or a transport that is gone. timeoutMs <= 0: no limit.
    int WaitReply(const QList<QByteArray> &expected, int timeoutMs, QByteArray &reply);

    LinkState &state() { return m_state; }
    TXComm &xcomm();

private:
    LinkState &m_state;
    Prompts &m_prompts;
    std::unique_ptr<TXComm> m_xcomm;
};

} // namespace brevolan
