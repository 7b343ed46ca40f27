#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace hid::hidraw::sysfs {

// A text attribute (product, serial): UTF-8, without the one line feed the
// kernel adds.
QString attributeText(QByteArray bytes);

// A hexadecimal attribute such as bcdDevice ("0100\n"); none unless it is a
// hexadecimal number of at most 16 bits.
std::optional<quint16> hex16(const QByteArray& bytes);

// What a HID device's uevent says: KEY=value lines, of which HID_ID reads
// BBBB:VVVVVVVV:PPPPPPPP (hex; the last HID_ID line counts), HID_NAME the
// device's name and HID_UNIQ its unique id (the serial of a Bluetooth
// device).
struct Uevent {
    bool haveId = false;
    quint16 bus = 0, vendorId = 0, productId = 0;
    std::optional<QString> name, uniq;
};
Uevent parseUevent(const QByteArray& text);

} // namespace hid::hidraw::sysfs
