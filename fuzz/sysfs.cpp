// The texts sysfs gives about a HID device: uevent, product and serial
// strings, bcdDevice. The input holds them as parts separated by NUL bytes:
//   uevent \0 string attribute \0 hex attribute
// A uevent's HID_ID, once read, writes back and reads again the same; a
// string becomes a device string of at most 254 UTF-16 units, without NUL,
// never cut inside a surrogate pair and always a prefix of the text; a hex
// attribute that reads gives a number that reads back the same.
#include "FuzzCheck.h"

#include "usb/platform/linux/SysfsHidInfo.h"
#include "usb/platform/linux/SysfsText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

using namespace hid::hidraw;

namespace {

void checkUevent(const QByteArray& text)
{
    const sysfs::Uevent fields = sysfs::parseUevent(text);
    if (fields.haveId) {
        FUZZ_CHECK(text.startsWith("HID_ID=") || text.contains("\nHID_ID="));
        const QByteArray again = "HID_NAME=x\nHID_ID=" +
                                 QString::asprintf("%04X:%08X:%08X", fields.bus, fields.vendorId,
                                                   fields.productId)
                                     .toLatin1();
        const sysfs::Uevent reread = sysfs::parseUevent(again);
        FUZZ_CHECK(reread.haveId && reread.bus == fields.bus &&
                   reread.vendorId == fields.vendorId && reread.productId == fields.productId);
        FUZZ_CHECK(reread.name == QStringLiteral("x") && !reread.uniq);
    }
    if (fields.name)
        FUZZ_CHECK(text.startsWith("HID_NAME=") || text.contains("\nHID_NAME="));
    if (fields.uniq)
        FUZZ_CHECK(text.startsWith("HID_UNIQ=") || text.contains("\nHID_UNIQ="));
}

void checkDeviceString(const QByteArray& bytes)
{
    const QString text = sysfs::attributeText(bytes);
    const std::u16string units = toDeviceString(text);
    FUZZ_CHECK(units.size() <= 254);
    FUZZ_CHECK(units.find(u'\0') == std::u16string::npos);
    if (!units.empty() && units.size() < std::size_t(text.size()))
        FUZZ_CHECK(!(QChar::isHighSurrogate(units.back()) &&
                     QChar::isLowSurrogate(text[qsizetype(units.size())].unicode())));
    FUZZ_CHECK(text.toStdU16String().compare(0, units.size(), units) == 0);
    // Only a NUL or the length limit cuts the text short.
    if (units.size() < std::size_t(text.size()))
        FUZZ_CHECK(text[qsizetype(units.size())] == u'\0' || units.size() >= 253);
}

void checkHex(const QByteArray& bytes)
{
    const std::optional<quint16> value = sysfs::hex16(bytes);
    if (!value)
        return;
    FUZZ_CHECK(sysfs::hex16(QByteArray::number(*value, 16) + '\n') == value);
    FUZZ_CHECK(sysfs::hex16(QByteArray::number(*value, 16).rightJustified(4, '0')) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\0');
    checkUevent(parts.value(0));
    checkDeviceString(parts.value(1));
    checkHex(parts.value(2));
    return 0;
}
