#include "link/DeviceConnection.h"

#include "common/BrevolanError.h"
#include "common/Prompts.h"
#include "link/CutToken.h"
#include "link/D2XXUnit.h"
#include "link/SerialWaitLoop.h"
#include "link/TXComm.h"
#include "model/IntegerText.h"

#include <cstring>

namespace brevolan {

namespace {

// The encoder answers a bare CR with "NO": proof that it is listening.
const QByteArray HandshakeCommand("\r");
const QByteArray HandshakeAnswer("NO");
constexpr int HandshakeWaitMs = 200;
constexpr int HandshakeAttempts = 5;
constexpr quint32 UsbReadTimeoutMs = 500;
constexpr quint32 UsbWriteTimeoutMs = 500;

} // namespace

DeviceConnection::DeviceConnection(LinkState &state, Prompts &prompts)
    : m_state(state), m_prompts(prompts), m_xcomm(std::make_unique<TXComm>())
{
}

DeviceConnection::~DeviceConnection() = default;

TXComm &DeviceConnection::xcomm() { return *m_xcomm; }

bool DeviceConnection::OpenDevice()
{
    const QString devId = m_state.devId;
    if (isSerialDevId(devId)) {
        m_state.firstUsbOpen = false;
        QString s = devId;
        CutToken(s, QLatin1Char(','));
        m_state.comPortName = trimControl(CutToken(s, QLatin1Char(',')));
        const QString speedText = trimControl(CutToken(s, QLatin1Char(',')));
        // The speed is checked before the port is touched.
        const std::optional<int> speed = parseInteger(speedText);
        if (!speed)
            throw invalidIntegerError(speedText);
        m_state.comBaudRate = *speed;
        if (m_xcomm->isOpen())
            m_xcomm->close();
        m_xcomm->setBaudRate(TBaudRate::brCustom);
        m_xcomm->setBaudValue(m_state.comBaudRate);
        m_xcomm->setDeviceName(m_state.comPortName);
        m_xcomm->open();
    } else {
        const QString serial = usbSerialOf(devId);
        if (m_state.firstUsbOpen) {
            // Once per run, before the first USB connection: a reset brings a
            // chip left in an odd state by an earlier program back to defaults.
            m_state.firstUsbOpen = false;
            if (Open_USB_Device_By_Serial_Number(serial) == ftstatus::Ok) {
                ResetFTDevice();
                CloseFTDevice();
            }
        }
        if (Open_USB_Device_By_Serial_Number(serial) != ftstatus::Ok)
            return false;
        // Refused settings are left to the handshake to find out.
        SetFTTimeouts(UsbReadTimeoutMs, UsbWriteTimeoutMs);
        FtBaudRate = static_cast<quint32>(m_state.usbBaudRate);
        FtWordLength = 8;
        FtStopBits = 0;
        FtParity = 0;
        FtFlowControl = 0;
        SetFTBaudRate();
        SetFTFlowControl();
        SetFTDataCharacteristics();
    }

    try {
        for (int attempt = 0; attempt < HandshakeAttempts; ++attempt) {
            // A serial line that hung up during an attempt is not written to
            // again: the encoder is gone, which is what the box says.
            if (isSerialDevId(devId) && !m_xcomm->isOpen())
                break;
            SendCommand(HandshakeCommand);
            QByteArray reply;
            // What follows the "NO" stays unread; the operations drain it.
            if (WaitReply({HandshakeAnswer}, HandshakeWaitMs, reply) == 0)
                return true;
        }
    } catch (...) {
        // The caller does not close after an error out of OpenDevice, so the
        // port must not stay open (and locked) behind it.
        try {
            CloseDevice();
        } catch (const BrevolanError &) {
        }
        throw;
    }
    CloseDevice();
    m_prompts.error(communicationsErrorText());
    return false;
}

void DeviceConnection::CloseDevice()
{
    if (isSerialDevId(m_state.devId))
        m_xcomm->close();
    else
        CloseFTDevice();
}

void DeviceConnection::SendCommand(const QByteArray &command)
{
    if (isSerialDevId(m_state.devId)) {
        m_xcomm->sendString(command);
        return;
    }
    // Over USB every command starts from clean queues: unread input is gone.
    PurgeFTReceive();
    PurgeFTTransmit();
    std::memset(FtWriteBuffer, 0, sizeof FtWriteBuffer);
    // Commands are a few dozen bytes; a longer one is cut to the buffer
    // rather than written past it.
    const quint32 length = static_cast<quint32>(qMin<qsizetype>(command.size(), FtWriteBufferSize));
    std::memcpy(FtWriteBuffer, command.constData(), length);
    WriteFTDevice(length);
}

int DeviceConnection::WaitReply(const QList<QByteArray> &expected, int timeoutMs, QByteArray &reply)
{
    if (isSerialDevId(m_state.devId))
        return SerialWaitReply(*m_xcomm, expected, timeoutMs, reply);
    return UsbWaitReply(expected, timeoutMs, reply);
}

} // namespace brevolan
