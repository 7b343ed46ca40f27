#include "usb/platform/linux/SysfsText.h"

#include <QList>
#include <QStringDecoder>
#include <QStringList>

namespace hid::hidraw::sysfs {

namespace {

// Device strings keep a leading U+FEFF as a character: QString::fromUtf8
// would skip it as a byte-order mark.
QString decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool parseHidId(const QString& value, Uevent& out)
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

} // namespace

QString attributeText(QByteArray bytes)
{
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return decodeUtf8(bytes);
}

std::optional<quint16> hex16(const QByteArray& bytes)
{
    bool ok = false;
    const uint value = attributeText(bytes).trimmed().toUInt(&ok, 16);
    if (!ok || value > 0xFFFF)
        return std::nullopt;
    return quint16(value);
}

Uevent parseUevent(const QByteArray& text)
{
    Uevent out;
    for (const QByteArray& line : text.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = decodeUtf8(line.mid(eq + 1));
        if (key == "HID_ID")
            out.haveId = parseHidId(value, out);
        else if (key == "HID_NAME")
            out.name = value;
        else if (key == "HID_UNIQ")
            out.uniq = value;
    }
    return out;
}

} // namespace hid::hidraw::sysfs
