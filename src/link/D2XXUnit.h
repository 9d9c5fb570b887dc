#pragma once
// The program's only user of the FTDI driver: the state of the one USB
// encoder it talks to at a time, kept in module variables for the whole run,
// and one small wrapper per driver call. Wrappers never raise: each hands a
// failing status, with a caption naming the call, to ReportFTStatus, which
// shows a box only while FtErrorReport is on (the main window switches it off
// at the end of its start-up), and returns the status to the caller.

#include "link/FtdiDriver.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace brevolan {

class Prompts;

inline constexpr quint32 FtReadBufferSize = 1048576;
inline constexpr quint32 FtWriteBufferSize = 32768;
inline constexpr int FtOpenSerialSize = 50;         // 49 characters and a NUL
// D2XX writes at most 16 characters of a serial number and 64 of a
// description; one more byte each holds the terminating NUL.
inline constexpr int FtSerialMaxChars = 16;
inline constexpr int FtDescriptionMaxChars = 64;

extern FtHandleValue FtHandle;
extern quint8 FtReadBuffer[FtReadBufferSize];
extern quint8 FtWriteBuffer[FtWriteBufferSize];
extern quint32 FtQueueBytes;
extern quint32 FtDeviceCount;
extern char FtOpenSerial[FtOpenSerialSize];
extern char FtSerialBuffer[FtSerialMaxChars + 1];
extern char FtDescriptionBuffer[FtDescriptionMaxChars + 1];
extern QString FtListedText;
extern bool FtErrorReport;
extern quint32 FtBaudRate;
extern quint8 FtWordLength;
extern quint8 FtStopBits;
extern quint8 FtParity;
extern quint16 FtFlowControl;
extern quint8 FtXonChar;
extern quint8 FtXoffChar;

// The driver underneath; nullptr goes back to the process-wide LibFtdiDriver
// (created on first use). The caller keeps ownership of what it installs.
void setFtdiDriver(FtdiDriver *driver);
FtdiDriver &ftdiDriver();
// Where ReportFTStatus shows its box; nullptr: the message goes to the log.
void setFtPrompts(Prompts *prompts);

// The text of ReportFTStatus for a caption and a failing status: the caption
// and the status text for 1 to 17, empty for any other status.
QString ftStatusText(const QString &caption, FtStatus status);
void ReportFTStatus(const QString &caption, FtStatus status);
// FtOpenSerial := the first 49 characters of serial, NUL-terminated.
void StoreFTSerialNumber(const QString &serial);

FtStatus GetFTDeviceCount();
FtStatus GetFTDeviceSerialNo(quint32 index);
FtStatus GetFTDeviceDescription(quint32 index);
FtStatus Open_USB_Device_By_Serial_Number(const QString &serial);
FtStatus CloseFTDevice();
FtStatus ResetFTDevice();
FtStatus SetFTTimeouts(quint32 readMs, quint32 writeMs);
FtStatus SetFTBaudRate();
FtStatus SetFTDataCharacteristics();
FtStatus SetFTFlowControl();
FtStatus PurgeFTReceive();
FtStatus PurgeFTTransmit();
FtStatus GetFTQueueStatus();
// Byte counts: the bytes stand at the start of FtReadBuffer; the first count
// bytes of FtWriteBuffer are sent.
quint32 ReadFTDevice(quint32 count);
quint32 WriteFTDevice(quint32 count);

// The USB half of WaitReply, with the serial loop's contract: -1 at once for
// an empty list or a failing queue-status query, NUL bytes dropped, the
// clock read at least every 10th byte, timeoutMs <= 0 without limit; ends
// with -1 as soon as a queue-status query fails (device gone) or the
// application is terminating.
int UsbWaitReply(const QList<QByteArray> &expected, int timeoutMs, QByteArray &reply);

} // namespace brevolan
