#pragma once
// How libftdi1 1.5 return codes answer as D2XX statuses. Each libftdi call
// has its own negative codes; 0 or a positive count is success.

#include "link/FtdiDriver.h"

namespace brevolan::libftdi {

// ftdi_usb_find_all: -3 out of memory; -5/-6 the USB list or a descriptor failed.
FtStatus findAllStatus(int rc);
// ftdi_usb_get_strings: -4 the device would not open (permissions); -7..-9 a string failed.
FtStatus getStringsStatus(int rc);
// ftdi_usb_open_dev: -4 open, -5 claim (another user has it), -8 permissions;
// -6/-7 the reset or the initial baud rate failed.
FtStatus openDevStatus(int rc);
// ftdi_set_baudrate: -1 no divisor for the rate; -2 the USB transfer failed.
FtStatus baudRateStatus(int rc);
// ftdi_read_data, ftdi_write_data and the plain control calls: any negative is an I/O error.
FtStatus transferStatus(int rc);

// D2XX framing codes (word length 7 or 8; stop bits 0 = 1, 1 = 1.5, 2 = 2;
// parity 0 none .. 4 space), which libftdi's enums share but do not check.
bool validDataCharacteristics(quint8 wordLength, quint8 stopBits, quint8 parity);
// 0 none, 0x100 RTS/CTS, 0x200 DTR/DSR, 0x400 XON/XOFF.
bool validFlowControl(quint16 flow);

} // namespace brevolan::libftdi
