// Any text as a device identifier (DevID), as the stored preferences or the
// companion's --device could hand it over: taking it apart, naming it, turning
// its port into a path and its speed into an integer must neither crash nor
// hang, and a serial DevID built from its own pieces must read back the same.

#include "link/CutToken.h"
#include "link/DeviceId.h"
#include "model/IntegerText.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace brevolan;

namespace {
void fail(const char *what)
{
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The store hands back Unicode text; the first byte picks how the rest is read.
    const QString devId = !bytes.isEmpty() && (bytes.at(0) & 1) ? QString::fromUtf8(bytes.mid(1))
                                                                   : QString::fromLatin1(bytes);

    const SerialDevId serial = parseSerialDevId(devId);
    if (serial.port != trimControl(serial.port) || serial.speed != trimControl(serial.speed))
        fail("a serial piece kept blanks or control codes at an end");
    if (serial.port.contains(QLatin1Char(',')))
        fail("the port piece holds a comma");
    (void)usbSerialOf(devId);
    (void)presenceSerialOf(devId);
    (void)deviceDisplayName(devId);
    (void)isSerialDevId(devId);
    (void)isUsbDevId(devId);

    const QString path = serialPortPath(serial.port);
    if (!path.startsWith(QLatin1Char('/')))
        fail("a port name did not become an absolute path");

    // OpenDevice's speed conversion.
    const std::optional<int> speed = parseInteger(serial.speed);
    if (speed && parseInteger(QString::number(*speed)) != speed)
        fail("a speed does not read back from its own decimal text");

    // Rebuilt from its pieces, a serial DevID reads back the same.
    if (!serial.port.isEmpty()) {
        const SerialDevId again = parseSerialDevId(serialDevId(serial.port, serial.speed));
        if (again.port != serial.port || again.speed != serial.speed)
            fail("a serial DevID rebuilt from its pieces reads back differently");
    }
    return 0;
}
