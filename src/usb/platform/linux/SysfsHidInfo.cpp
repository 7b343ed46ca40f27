#include "usb/platform/linux/SysfsHidInfo.h"

#include "usb/platform/linux/SysfsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hid::hidraw {

namespace {

constexpr quint16 kBusUsb = 0x03;
constexpr int kMaxStringUnits = 254;
// sysfs attributes are small; the report descriptor is at most 4096 bytes.
constexpr qint64 kMaxAttributeBytes = 8192;

std::optional<QByteArray> readAttribute(const QString& dir, const char* name)
{
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxAttributeBytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> readText(const QString& dir, const char* name)
{
    const std::optional<QByteArray> bytes = readAttribute(dir, name);
    if (!bytes)
        return std::nullopt;
    return sysfs::attributeText(*bytes);
}

// The USB device is the nearest ancestor with idVendor (the HID device sits
// on a USB interface, which sits on the USB device).
QString usbDeviceDirAbove(const QString& hidDeviceDir)
{
    QDir dir(hidDeviceDir);
    while (dir.cdUp()) {
        if (dir.isRoot())
            break;
        if (QFileInfo::exists(dir.filePath(QStringLiteral("idVendor"))))
            return dir.path();
    }
    return {};
}

} // namespace

bool SysfsHidInfo::read(const QString& hidDeviceDir, SysfsHidInfo& out)
{
    out = SysfsHidInfo{};
    const std::optional<QByteArray> uevent = readAttribute(hidDeviceDir, "uevent");
    if (!uevent)
        return false;
    const sysfs::Uevent fields = sysfs::parseUevent(*uevent);
    if (!fields.haveId)
        return false;
    out.bus = fields.bus;
    out.vendorId = fields.vendorId;
    out.productId = fields.productId;

    out.valid = true;
    out.reportDescriptor = readAttribute(hidDeviceDir, "report_descriptor").value_or(QByteArray());

    // Only a USB HID device takes its strings from the USB device: a
    // Bluetooth device also has USB ancestors (the adapter), which are not it.
    if (out.bus == kBusUsb) {
        const QString usbDir = usbDeviceDirAbove(hidDeviceDir);
        if (!usbDir.isEmpty()) {
            out.product = readText(usbDir, "product");
            out.serial = readText(usbDir, "serial");
            const std::optional<QByteArray> bcd = readAttribute(usbDir, "bcdDevice");
            out.versionNumber = bcd ? sysfs::hex16(*bcd).value_or(0) : 0;
        }
        return true;
    }
    if (fields.name && !fields.name->isEmpty())
        out.product = fields.name;
    if (fields.uniq && !fields.uniq->isEmpty())
        out.serial = fields.uniq;
    return true;
}

QString SysfsHidInfo::hidDeviceDirOf(const QString& sysRoot, quint32 major, quint32 minor)
{
    // <sysRoot>/dev/char/M:m links to the hidraw node's directory, whose
    // "device" link leads to the HID device.
    const QString link =
        QStringLiteral("%1/dev/char/%2:%3/device").arg(sysRoot).arg(major).arg(minor);
    return QFileInfo(link).canonicalFilePath();
}

std::u16string toDeviceString(const QString& text)
{
    std::u16string units = text.toStdU16String();
    const std::size_t nul = units.find(u'\0');
    if (nul != std::u16string::npos)
        units.resize(nul);
    if (units.size() > std::size_t(kMaxStringUnits)) {
        units.resize(kMaxStringUnits);
        if (QChar::isHighSurrogate(units.back()))
            units.pop_back();
    }
    return units;
}

} // namespace hid::hidraw
