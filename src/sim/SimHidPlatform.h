#pragma once

#include "sim/MeterMessages.h"
#include "sim/SimClock.h"
#include "usb/platform/HidPlatform.h"

#include <memory>
#include <vector>

// A machine whose only HID device is the meter's USB interface cable with a
// simulated meter behind it: the cable lists as "USB to Serial" without a
// serial number, with 9-byte input and output reports and a 10-byte feature
// report (see SimCable). The cable reports on its own 10 ms clock; each open
// read handle queues the reports as the kernel does, whether or not anyone
// reads them. Devices can be plugged in and out while it runs, as
// a user would; the device-change handler then runs on the calling thread.
class SimHidPlatform final : public hid::Platform {
public:
    static constexpr quint16 kCableVendorId = 0x1209;
    static constexpr quint16 kCableProductId = 0x0001;

    SimHidPlatform(std::unique_ptr<MeterMessages> meter, std::unique_ptr<SimClock> clock);
    ~SimHidPlatform() override;

    bool available() const override { return true; }
    std::vector<hid::InterfaceEntry> listInterfaces() override;
    std::unique_ptr<hid::Handle> open(const QString& path, hid::Access access) override;
    void setDeviceChangeHandler(std::function<void()> handler) override;

    // Another HID device (one that never reports); returns its instance.
    // Empty texts: the device has no such string.
    quint32 plugDevice(const QString& product, quint16 vendorId, quint16 productId,
                       const QString& serial = QString());
    // The cable again, as a new instance (after unplugging it).
    quint32 plugCable();
    void unplug(quint32 instance);
    quint32 cableInstance() const;

    // Every byte that reached the meter, in order.
    std::vector<quint8> meterBytesReceived() const;
    quint32 cableBaudRate() const;
    qint64 clockUs() const;

    struct Shared;
    struct Device;

private:
    void deviceSetChanged();
    quint32 plug(std::shared_ptr<Device> device, const QString& pathPattern);

    std::shared_ptr<Shared> shared_;
};
