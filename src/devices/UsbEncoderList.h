#pragma once
// The rows of the device dialog's USB list: the attached FTDI devices that
// describe themselves as our encoder.

#include <QList>
#include <QString>

namespace brevolan {

inline const QString EncoderDescription = QStringLiteral("Brevolan 4 RDS/RBDS Encoder");

struct UsbEncoderRow {
    QString caption;        // "Device " + position among all FTDI devices, from 1
    QString serialNumber;
    QString description;    // as the chip reports it, in its own letter case
};

bool isEncoderDescription(const QString &description);

// The numbers count every attached FTDI device, so an encoder that is the
// third FTDI device is "Device 3" even when it is the only row. A device whose
// serial number or description cannot be read is left out: it could be
// neither recognised nor opened by its serial number.
QList<UsbEncoderRow> listUsbEncoders();

} // namespace brevolan
