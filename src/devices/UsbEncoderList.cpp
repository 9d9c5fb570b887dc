#include "devices/UsbEncoderList.h"

#include "devices/AsciiCase.h"
#include "devices/UsbListing.h"

namespace brevolan {

bool isEncoderDescription(const QString &description)
{
    return asciiEqualsIgnoreCase(description, EncoderDescription);
}

QList<UsbEncoderRow> listUsbEncoders()
{
    QList<UsbEncoderRow> rows;
    const FtdiListing listing = listFtdiDevices(true);
    for (const ListedFtdiDevice &d : listing.devices) {
        if (!d.serialNumberRead || !d.descriptionRead || !isEncoderDescription(d.description))
            continue;
        rows.append({QStringLiteral("Device ") + QString::number(d.index + 1), d.serialNumber,
                     d.description});
    }
    return rows;
}

} // namespace brevolan
