#include "usb/platform/linux/SysfsHidInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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

// Device strings keep a leading U+FEFF as a character: QString::fromUtf8
// would skip it as a byte-order mark.
QString decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// Text attributes end with one line feed added by the kernel.
std::optional<QString> readText(const QString& dir, const char* name)
{
    std::optional<QByteArray> bytes = readAttribute(dir, name);
    if (!bytes)
        return std::nullopt;
    if (bytes->endsWith('\n'))
        bytes->chop(1);
    return decodeUtf8(*bytes);
}

std::optional<quint16> readHex16(const QString& dir, const char* name)
{
    const std::optional<QString> text = readText(dir, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const uint value = text->trimmed().toUInt(&ok, 16);
    if (!ok || value > 0xFFFF)
        return std::nullopt;
    return quint16(value);
}

// uevent lines are KEY=value; HID_ID reads BBBB:VVVVVVVV:PPPPPPPP (hex).
bool parseHidId(const QString& value, SysfsHidInfo& out)
{
    const QStringList parts = value.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    bool okBus = false, okVendor = false, okProduct = false;
    const uint bus = parts[0].toUInt(&okBus, 16);
    const uint vendor = parts[1].toUInt(&okVendor, 16);
    const uint product = parts[2].toUInt(&okProduct, 16);
    if (!okBus || !okVendor || !okProduct)
        return false;
    out.bus = quint16(bus);
    out.vendorId = quint16(vendor);
    out.productId = quint16(product);
    return true;
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
    bool haveId = false;
    std::optional<QString> hidName;
    std::optional<QString> hidUniq;
    for (const QByteArray& line : uevent->split('\n')) {
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = decodeUtf8(line.mid(eq + 1));
        if (key == "HID_ID")
            haveId = parseHidId(value, out);
        else if (key == "HID_NAME")
            hidName = value;
        else if (key == "HID_UNIQ")
            hidUniq = value;
    }
    if (!haveId)
        return false;

    out.valid = true;
    out.reportDescriptor = readAttribute(hidDeviceDir, "report_descriptor").value_or(QByteArray());

    // Only a USB HID device takes its strings from the USB device: a
    // Bluetooth device also has USB ancestors (the adapter), which are not it.
    if (out.bus == kBusUsb) {
        const QString usbDir = usbDeviceDirAbove(hidDeviceDir);
        if (!usbDir.isEmpty()) {
            out.product = readText(usbDir, "product");
            out.serial = readText(usbDir, "serial");
            out.versionNumber = readHex16(usbDir, "bcdDevice").value_or(0);
        }
        return true;
    }
    if (hidName && !hidName->isEmpty())
        out.product = hidName;
    if (hidUniq && !hidUniq->isEmpty())
        out.serial = hidUniq;
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
