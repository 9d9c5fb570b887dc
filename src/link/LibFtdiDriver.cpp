#include "link/LibFtdiDriver.h"

#include "link/LibFtdiStatus.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <climits>
#include <chrono>
#include <vector>

namespace brevolan {

namespace {

// Latency timer of the open device: with nothing to send the chip answers a
// read after this many milliseconds, which bounds how late a reply is seen.
constexpr unsigned char LatencyMs = 2;
// A bulk read only times out when the chip stops answering altogether
// (the latency timer answers long before); keep it short so that the
// read time-out of the wrapper holds.
constexpr int UsbReadTimeoutMs = 100;
constexpr int StringSize = 128;

// The attached FTDI devices on a context of their own (a listing must never
// touch the context of the open device), in a stable order: by bus and port
// path, so that "device N" names the same socket from one listing to the next.
class UsbListing {
public:
    UsbListing()
    {
        m_ctx = ftdi_new();
        if (!m_ctx) {
            status = ftstatus::InsufficientResources;
            return;
        }
        const int rc = ftdi_usb_find_all(m_ctx, &m_list, 0, 0);
        status = libftdi::findAllStatus(rc);
        for (ftdi_device_list *d = m_list; rc >= 0 && d; d = d->next)
            devices.push_back(d->dev);
        std::sort(devices.begin(), devices.end(), [](libusb_device *a, libusb_device *b) {
            return location(a) < location(b);
        });
    }
    ~UsbListing()
    {
        if (m_list)
            ftdi_list_free(&m_list);
        if (m_ctx)
            ftdi_free(m_ctx);
    }
    UsbListing(const UsbListing &) = delete;
    UsbListing &operator=(const UsbListing &) = delete;

    FtStatus strings(libusb_device *dev, char *description, char *serial) const
    {
        return libftdi::getStringsStatus(ftdi_usb_get_strings(
            m_ctx, dev, nullptr, 0, description, description ? StringSize : 0, serial,
            serial ? StringSize : 0));
    }

    FtStatus status = ftstatus::Ok;
    std::vector<libusb_device *> devices;

private:
    static std::vector<int> location(libusb_device *dev)
    {
        std::vector<int> key{libusb_get_bus_number(dev)};
        uint8_t ports[8];
        const int n = libusb_get_port_numbers(dev, ports, sizeof ports);
        for (int i = 0; i < n; ++i)
            key.push_back(ports[i]);
        return key;
    }

    ftdi_context *m_ctx = nullptr;
    ftdi_device_list *m_list = nullptr;
};

} // namespace

LibFtdiDriver::~LibFtdiDriver()
{
    if (m_ctx) {
        ftdi_usb_close(m_ctx);
        ftdi_free(m_ctx);
    }
}

FtStatus LibFtdiDriver::deviceCount(quint32 &count)
{
    const UsbListing listing;
    if (listing.status == ftstatus::Ok)
        count = static_cast<quint32>(listing.devices.size());
    return listing.status;
}

FtStatus LibFtdiDriver::listedString(quint32 index, bool wantSerial, QByteArray &text)
{
    const UsbListing listing;
    if (listing.status != ftstatus::Ok)
        return listing.status;
    if (index >= listing.devices.size())
        return ftstatus::DeviceNotFound;
    char buffer[StringSize] = {};
    const FtStatus status = wantSerial ? listing.strings(listing.devices[index], nullptr, buffer)
                                       : listing.strings(listing.devices[index], buffer, nullptr);
    if (status == ftstatus::Ok)
        text = QByteArray(buffer);
    return status;
}

FtStatus LibFtdiDriver::serialNumber(quint32 index, QByteArray &serial)
{
    return listedString(index, true, serial);
}

FtStatus LibFtdiDriver::description(quint32 index, QByteArray &description)
{
    return listedString(index, false, description);
}

FtStatus LibFtdiDriver::openBySerial(const QByteArray &serial, FtHandleValue &handle)
{
    if (m_ctx)
        return ftstatus::DeviceNotOpened;   // one device at a time
    const UsbListing listing;
    if (listing.status != ftstatus::Ok)
        return listing.status;
    FtStatus failure = ftstatus::DeviceNotFound;
    for (libusb_device *dev : listing.devices) {
        char listed[StringSize] = {};
        const FtStatus status = listing.strings(dev, nullptr, listed);
        if (status != ftstatus::Ok) {
            // A device we may not read could be the one asked for.
            failure = status;
            continue;
        }
        if (serial != QByteArray(listed))
            continue;
        ftdi_context *ctx = ftdi_new();
        if (!ctx)
            return ftstatus::InsufficientResources;
        // Give /dev/ttyUSBn back to ftdi_sio when we close.
        ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        const int rc = ftdi_usb_open_dev(ctx, dev);
        if (rc < 0) {
            ftdi_free(ctx);
            return libftdi::openDevStatus(rc);
        }
        ftdi_set_latency_timer(ctx, LatencyMs);
        ctx->usb_read_timeout = UsbReadTimeoutMs;
        m_ctx = ctx;
        m_handle = ++m_lastHandle;
        m_readAhead.clear();
        m_readTimeoutMs = 500;
        handle = m_handle;
        return ftstatus::Ok;
    }
    return failure;
}

FtStatus LibFtdiDriver::close(FtHandleValue handle)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    const int rc = ftdi_usb_close(m_ctx);
    ftdi_free(m_ctx);
    m_ctx = nullptr;
    m_handle = 0;
    m_readAhead.clear();
    return libftdi::transferStatus(rc);
}

FtStatus LibFtdiDriver::resetDevice(FtHandleValue handle)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    m_readAhead.clear();
    return libftdi::transferStatus(ftdi_usb_reset(m_ctx));
}

FtStatus LibFtdiDriver::setTimeouts(FtHandleValue handle, quint32 readMs, quint32 writeMs)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    m_readTimeoutMs = readMs;
    m_ctx->usb_write_timeout = static_cast<int>(std::min<quint32>(writeMs, INT_MAX));
    return ftstatus::Ok;
}

FtStatus LibFtdiDriver::setBaudRate(FtHandleValue handle, quint32 baud)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    if (baud == 0 || baud > INT_MAX)
        return ftstatus::InvalidBaudRate;
    return libftdi::baudRateStatus(ftdi_set_baudrate(m_ctx, static_cast<int>(baud)));
}

FtStatus LibFtdiDriver::setDataCharacteristics(FtHandleValue handle, quint8 wordLength,
                                               quint8 stopBits, quint8 parity)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    // libftdi passes its enums to the chip unchecked; its values are D2XX's.
    if (!libftdi::validDataCharacteristics(wordLength, stopBits, parity))
        return ftstatus::InvalidParameter;
    return libftdi::transferStatus(ftdi_set_line_property(
        m_ctx, static_cast<ftdi_bits_type>(wordLength), static_cast<ftdi_stopbits_type>(stopBits),
        static_cast<ftdi_parity_type>(parity)));
}

FtStatus LibFtdiDriver::setFlowControl(FtHandleValue handle, quint16 flow, quint8 xon, quint8 xoff)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    if (!libftdi::validFlowControl(flow))
        return ftstatus::InvalidParameter;
    // The XON/XOFF characters matter only to XON/XOFF flow control.
    if (flow == SIO_XON_XOFF_HS)
        return libftdi::transferStatus(ftdi_setflowctrl_xonxoff(m_ctx, xon, xoff));
    return libftdi::transferStatus(ftdi_setflowctrl(m_ctx, flow));
}

FtStatus LibFtdiDriver::purge(FtHandleValue handle, quint32 mask)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    if (mask == 0 || (mask & ~3u) != 0)
        return ftstatus::InvalidParameter;
    int rc = 0;
    if (mask & 1) {
        m_readAhead.clear();
        rc = ftdi_tciflush(m_ctx);
    }
    if ((mask & 2) && rc >= 0)
        rc = ftdi_tcoflush(m_ctx);
    return libftdi::transferStatus(rc);
}

int LibFtdiDriver::pump()
{
    unsigned char chunk[4096];
    const int rc = ftdi_read_data(m_ctx, chunk, sizeof chunk);
    if (rc > 0)
        m_readAhead.insert(m_readAhead.end(), chunk, chunk + rc);
    // A libusb time-out means the chip did not answer within the bulk
    // time-out: nothing received, not a lost device.
    return rc == LIBUSB_ERROR_TIMEOUT ? 0 : rc;
}

FtStatus LibFtdiDriver::queueStatus(FtHandleValue handle, quint32 &bytes)
{
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    // libftdi keeps no count of what is waiting: look once, blocking at most
    // one latency period. An unplugged device shows here as an I/O error.
    if (m_readAhead.empty() && pump() < 0)
        return ftstatus::IoError;
    bytes = static_cast<quint32>(m_readAhead.size());
    return ftstatus::Ok;
}

FtStatus LibFtdiDriver::read(FtHandleValue handle, quint8 *buffer, quint32 count, quint32 &got)
{
    got = 0;
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    const auto take = [&] {
        while (got < count && !m_readAhead.empty()) {
            buffer[got++] = m_readAhead.front();
            m_readAhead.pop_front();
        }
    };
    take();
    // ftdi_read_data does not wait for data: it returns within one latency
    // period. Loop on it until the bytes are in or the read time-out passed;
    // a time-out is no failure.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_readTimeoutMs);
    while (got < count) {
        if (pump() < 0)
            return ftstatus::IoError;
        take();
        if (got < count && std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return ftstatus::Ok;
}

FtStatus LibFtdiDriver::write(FtHandleValue handle, const quint8 *buffer, quint32 count,
                              quint32 &written)
{
    written = 0;
    if (!isOpen(handle))
        return ftstatus::InvalidHandle;
    if (count == 0)
        return ftstatus::Ok;
    const int rc = ftdi_write_data(m_ctx, buffer, static_cast<int>(std::min<quint32>(count, INT_MAX)));
    if (rc < 0)
        return ftstatus::IoError;
    written = static_cast<quint32>(rc);
    return ftstatus::Ok;
}

} // namespace brevolan
