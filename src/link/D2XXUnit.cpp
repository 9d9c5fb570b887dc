#include "link/D2XXUnit.h"

#include "common/Prompts.h"
#include "link/LibFtdiDriver.h"
#include "link/MillisecondClock.h"
#include "link/ReplyMatch.h"
#include "link/Termination.h"

#include <QDebug>
#include <algorithm>
#include <array>
#include <cstring>

namespace brevolan {

FtHandleValue FtHandle = 0;
quint8 FtReadBuffer[FtReadBufferSize] = {};
quint8 FtWriteBuffer[FtWriteBufferSize] = {};
quint32 FtQueueBytes = 0;
quint32 FtDeviceCount = 0;
char FtOpenSerial[FtOpenSerialSize] = {};
char FtSerialBuffer[FtSerialMaxChars + 1] = {};
char FtDescriptionBuffer[FtDescriptionMaxChars + 1] = {};
QString FtListedText;
bool FtErrorReport = true;
quint32 FtBaudRate = 0;
quint8 FtWordLength = 0;
quint8 FtStopBits = 0;
quint8 FtParity = 0;
quint16 FtFlowControl = 0;
quint8 FtXonChar = 17;
quint8 FtXoffChar = 19;

namespace {

FtdiDriver *g_driver = nullptr;
Prompts *g_prompts = nullptr;

const std::array<const char *, 17> StatusTexts = {
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
};

FtStatus reported(const char *caption, FtStatus status)
{
    if (status != ftstatus::Ok)
        ReportFTStatus(QLatin1String(caption), status);
    return status;
}

// A listed string up to its first NUL, at most maxChars, through the
// listing buffer as the library would have written it.
void takeListed(const QByteArray &text, char *buffer, int maxChars)
{
    std::memset(buffer, 0, static_cast<size_t>(maxChars) + 1);
    const qsizetype nul = text.indexOf('\0');
    const qsizetype n = std::min<qsizetype>(nul < 0 ? text.size() : nul, maxChars);
    std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
    FtListedText = QString::fromLatin1(buffer);
}

} // namespace

void setFtdiDriver(FtdiDriver *driver) { g_driver = driver; }

FtdiDriver &ftdiDriver()
{
    if (g_driver)
        return *g_driver;
    static LibFtdiDriver libFtdi;
    return libFtdi;
}

void setFtPrompts(Prompts *prompts) { g_prompts = prompts; }

QString ftStatusText(const QString &caption, FtStatus status)
{
    if (status >= 1 && status <= StatusTexts.size())
        return caption + QLatin1String(StatusTexts[status - 1]);
    return QString();
}

void ReportFTStatus(const QString &caption, FtStatus status)
{
    if (!FtErrorReport || status == ftstatus::Ok)
        return;
    const QString text = ftStatusText(caption, status);
    if (g_prompts)
        g_prompts->error(text);
    else
        qWarning().noquote() << "USB:" << (text.isEmpty() ? QStringLiteral("status %1").arg(status) : text);
}

void StoreFTSerialNumber(const QString &serial)
{
    FtOpenSerial[0] = '\0';
    const QByteArray bytes = serial.toLatin1();
    const qsizetype n = std::min<qsizetype>(bytes.size(), FtOpenSerialSize - 1);
    if (n == 0)
        return;
    std::memcpy(FtOpenSerial, bytes.constData(), static_cast<size_t>(n));
    FtOpenSerial[n] = '\0';
}

FtStatus GetFTDeviceCount()
{
    quint32 count = 0;
    const FtStatus status = ftdiDriver().deviceCount(count);
    if (status == ftstatus::Ok)
        FtDeviceCount = count;
    return reported("GetFTDeviceCount", status);
}

FtStatus GetFTDeviceSerialNo(quint32 index)
{
    QByteArray serial;
    const FtStatus status = ftdiDriver().serialNumber(index, serial);
    if (status == ftstatus::Ok)
        takeListed(serial, FtSerialBuffer, FtSerialMaxChars);
    return reported("GetFTDeviceSerialNo", status);
}

FtStatus GetFTDeviceDescription(quint32 index)
{
    QByteArray description;
    const FtStatus status = ftdiDriver().description(index, description);
    if (status == ftstatus::Ok)
        takeListed(description, FtDescriptionBuffer, FtDescriptionMaxChars);
    return reported("GetFTDeviceDescription", status);
}

FtStatus Open_USB_Device_By_Serial_Number(const QString &serial)
{
    StoreFTSerialNumber(serial);
    FtHandleValue handle = 0;
    const FtStatus status = ftdiDriver().openBySerial(QByteArray(FtOpenSerial), handle);
    if (status == ftstatus::Ok)
        FtHandle = handle;
    return reported("Open_USB_Device_By_Serial_Number", status);
}

FtStatus CloseFTDevice() { return reported("FT_Close", ftdiDriver().close(FtHandle)); }

FtStatus ResetFTDevice() { return reported("FT_ResetDevice", ftdiDriver().resetDevice(FtHandle)); }

FtStatus SetFTTimeouts(quint32 readMs, quint32 writeMs)
{
    return reported("FT_SetTimeouts", ftdiDriver().setTimeouts(FtHandle, readMs, writeMs));
}

FtStatus SetFTBaudRate()
{
    return reported("FT_SetBaudRate", ftdiDriver().setBaudRate(FtHandle, FtBaudRate));
}

FtStatus SetFTDataCharacteristics()
{
    return reported("FT_SetDataCharacteristics",
                    ftdiDriver().setDataCharacteristics(FtHandle, FtWordLength, FtStopBits, FtParity));
}

FtStatus SetFTFlowControl()
{
    return reported("FT_SetFlowControl",
                    ftdiDriver().setFlowControl(FtHandle, FtFlowControl, FtXonChar, FtXoffChar));
}

FtStatus PurgeFTReceive() { return reported("FT_Purge RX", ftdiDriver().purge(FtHandle, 1)); }

FtStatus PurgeFTTransmit() { return reported("FT_Purge TX", ftdiDriver().purge(FtHandle, 2)); }

FtStatus GetFTQueueStatus()
{
    quint32 bytes = 0;
    const FtStatus status = ftdiDriver().queueStatus(FtHandle, bytes);
    if (status == ftstatus::Ok)
        FtQueueBytes = bytes;
    return reported("FT_GetQueueStatus", status);
}

quint32 ReadFTDevice(quint32 count)
{
    quint32 got = 0;
    count = std::min(count, FtReadBufferSize);
    reported("FT_Read", ftdiDriver().read(FtHandle, FtReadBuffer, count, got));
    return std::min(got, count);
}

quint32 WriteFTDevice(quint32 count)
{
    quint32 written = 0;
    count = std::min(count, FtWriteBufferSize);
    reported("FT_Write", ftdiDriver().write(FtHandle, FtWriteBuffer, count, written));
    return written;
}

int UsbWaitReply(const QList<QByteArray> &expected, int timeoutMs, QByteArray &reply)
{
    reply.clear();
    int result = -1;
    if (GetFTQueueStatus() != ftstatus::Ok || expected.isEmpty())
        return result;

    std::memset(FtReadBuffer, 0, sizeof FtReadBuffer);
    const quint32 start = MillisecondClock();
    int burst = 0;
    for (;;) {
        // Returns with a byte, or after the read time-out set at open.
        const quint32 got = ReadFTDevice(1);
        bool readClock = true;
        if (got == 1 && FtReadBuffer[0] != 0) {
            reply.append(static_cast<char>(FtReadBuffer[0]));
            result = matchExpected(reply, expected);
            if (result >= 0)
                break;
            // At most 10 waiting bytes in a row without a look at the clock.
            ++burst;
            if (burst < 10 && GetFTQueueStatus() == ftstatus::Ok && FtQueueBytes > 0)
                readClock = false;
        }
        if (readClock) {
            burst = 0;
            if (timeoutMs > 0 && elapsedMs(start, MillisecondClock()) >= timeoutMs)
                break;
        }
        // A failing queue-status query means the device is gone (unplugged).
        if (terminationRequested() || GetFTQueueStatus() != ftstatus::Ok)
            break;
    }
    return result;
}

} // namespace brevolan
