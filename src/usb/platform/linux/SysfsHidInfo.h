#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <string>

namespace hid::hidraw {

// What sysfs tells about one HID device, read without opening its node, so
// a handle can answer queries even when the node refuses access.
struct SysfsHidInfo {
    bool valid = false; // the fields below were read
    quint16 bus = 0;    // BUS_USB (3), BUS_BLUETOOTH (5), ...
    quint16 vendorId = 0;
    quint16 productId = 0;
    // bcdDevice of the USB device; 0 for other buses or when unreadable.
    quint16 versionNumber = 0;
    // USB string descriptors, or HID_NAME / HID_UNIQ for other buses.
    std::optional<QString> product;
    std::optional<QString> serial;
    QByteArray reportDescriptor;

    // hidDeviceDir is the HID device's directory (…/0003:VVVV:PPPP.NNNN),
    // the parent of hidraw/hidrawN. Returns false when its uevent has no
    // HID_ID (not a HID device, or gone).
    static bool read(const QString& hidDeviceDir, SysfsHidInfo& out);
    // The HID device directory of the hidraw character device with this
    // number, found through <sysRoot>/dev/char/MAJOR:MINOR; empty if none.
    static QString hidDeviceDirOf(const QString& sysRoot, quint32 major, quint32 minor);
};

// A string as the device classes take it: UTF-16 units, cut at the first
// NUL and at 254 units (never in the middle of a surrogate pair).
std::u16string toDeviceString(const QString& text);

} // namespace hid::hidraw
