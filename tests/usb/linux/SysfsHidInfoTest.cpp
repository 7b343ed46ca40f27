#include "usb/platform/linux/SysfsHidInfo.h"

#include "FakeSysfs.h"

#include <gtest/gtest.h>

using hid::hidraw::SysfsHidInfo;
using hid::hidraw::toDeviceString;

namespace {

const QString kUsbDevice = QStringLiteral("devices/pci0000:00/usb1/1-2");
const QString kUsbHid = kUsbDevice + QStringLiteral("/1-2:1.0/0003:10C4:EA80.0007");

class SysfsHidInfoTest : public ::testing::Test {
protected:
    // The meter's cable: product string, no serial number.
    void addCable()
    {
        sys.write(kUsbDevice + QStringLiteral("/idVendor"), "10c4\n");
        sys.write(kUsbDevice + QStringLiteral("/idProduct"), "ea80\n");
        sys.write(kUsbDevice + QStringLiteral("/bcdDevice"), "0100\n");
        sys.write(kUsbDevice + QStringLiteral("/product"), "USB to Serial\n");
        sys.write(kUsbHid + QStringLiteral("/uevent"),
                  "DRIVER=hid-generic\nHID_ID=0003:000010C4:0000EA80\n"
                  "HID_NAME=Silicon USB to Serial\nHID_PHYS=usb-0000:00:14.0-2/input0\n"
                  "HID_UNIQ=\nMODALIAS=hid:b0003g0001v000010C4p0000EA80\n");
        sys.write(kUsbHid + QStringLiteral("/report_descriptor"), QByteArray("\x06\x00\xFF", 3));
    }

    SysfsHidInfo readAt(const QString& relative)
    {
        SysfsHidInfo info;
        EXPECT_TRUE(SysfsHidInfo::read(sys.root() + QLatin1Char('/') + relative, info));
        return info;
    }

    FakeSysfs sys;
};

TEST_F(SysfsHidInfoTest, UsbDeviceGivesItsStringsVersionAndIds)
{
    addCable();
    sys.write(kUsbDevice + QStringLiteral("/serial"), "A1B2\n");
    const SysfsHidInfo info = readAt(kUsbHid);
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.bus, 3);
    EXPECT_EQ(info.vendorId, 0x10C4);
    EXPECT_EQ(info.productId, 0xEA80);
    EXPECT_EQ(info.versionNumber, 0x0100);
    // The USB string, not the kernel's HID_NAME (manufacturer + product).
    EXPECT_EQ(info.product, QStringLiteral("USB to Serial"));
    EXPECT_EQ(info.serial, QStringLiteral("A1B2"));
    EXPECT_EQ(info.reportDescriptor, QByteArray("\x06\x00\xFF", 3));
}

TEST_F(SysfsHidInfoTest, UsbDeviceWithoutStringAttributesHasNoProductOrSerial)
{
    addCable();
    QFile::remove(sys.root() + QLatin1Char('/') + kUsbDevice + QStringLiteral("/product"));
    QFile::remove(sys.root() + QLatin1Char('/') + kUsbDevice + QStringLiteral("/bcdDevice"));
    const SysfsHidInfo info = readAt(kUsbHid);
    // No fallback to HID_NAME: the caption must then show the ids.
    EXPECT_FALSE(info.product.has_value());
    EXPECT_FALSE(info.serial.has_value());
    EXPECT_EQ(info.versionNumber, 0);
}

TEST_F(SysfsHidInfoTest, LeadingByteOrderMarkStaysPartOfTheStrings)
{
    addCable();
    sys.write(kUsbDevice + QStringLiteral("/product"), "\xEF\xBB\xBFUSB\n");
    sys.write(kUsbDevice + QStringLiteral("/serial"), "\xEF\xBF\xBE"
                                                      "42\n");
    const SysfsHidInfo info = readAt(kUsbHid);
    EXPECT_EQ(info.product, QString(QChar(0xFEFF)) + QStringLiteral("USB"));
    EXPECT_EQ(info.serial, QString(QChar(0xFFFE)) + QStringLiteral("42"));

    const QString bt = QStringLiteral("devices/virtual/bt/0005:046D:B342.0009");
    sys.write(bt + QStringLiteral("/uevent"),
              "HID_ID=0005:0000046D:0000B342\nHID_NAME=\xEF\xBB\xBFKeys\n");
    EXPECT_EQ(readAt(bt).product, QString(QChar(0xFEFF)) + QStringLiteral("Keys"));
}

TEST_F(SysfsHidInfoTest, BluetoothDeviceUsesHidNameAndUniqNotTheUsbAdapter)
{
    // A Bluetooth keyboard sits below the USB Bluetooth adapter; the
    // adapter's product string must not become the keyboard's.
    const QString adapter = QStringLiteral("devices/pci0000:00/usb1/1-4");
    const QString keyboard = adapter + QStringLiteral("/1-4:1.0/bluetooth/hci0/hci0:256/"
                                                      "0005:046D:B342.0009");
    sys.write(adapter + QStringLiteral("/idVendor"), "8087\n");
    sys.write(adapter + QStringLiteral("/product"), "Bluetooth Adapter\n");
    sys.write(adapter + QStringLiteral("/serial"), "0000\n");
    sys.write(adapter + QStringLiteral("/bcdDevice"), "0001\n");
    sys.write(keyboard + QStringLiteral("/uevent"),
              "HID_ID=0005:0000046D:0000B342\nHID_NAME=Keyboard K380\n"
              "HID_UNIQ=34:88:5d:aa:bb:cc\n");
    const SysfsHidInfo info = readAt(keyboard);
    EXPECT_EQ(info.bus, 5);
    EXPECT_EQ(info.product, QStringLiteral("Keyboard K380"));
    EXPECT_EQ(info.serial, QStringLiteral("34:88:5d:aa:bb:cc"));
    EXPECT_EQ(info.versionNumber, 0);
}

TEST_F(SysfsHidInfoTest, NonUsbDeviceWithEmptyNameAndUniqHasNoStrings)
{
    const QString i2c = QStringLiteral("devices/platform/i2c-1/0018:06CB:7E7E.0002");
    sys.write(i2c + QStringLiteral("/uevent"), "HID_ID=0018:000006CB:00007E7E\nHID_NAME=\n");
    const SysfsHidInfo info = readAt(i2c);
    EXPECT_EQ(info.productId, 0x7E7E);
    EXPECT_FALSE(info.product.has_value());
    EXPECT_FALSE(info.serial.has_value());
    EXPECT_TRUE(info.reportDescriptor.isEmpty());
}

TEST_F(SysfsHidInfoTest, DirectoryWithoutHidIdIsNotAHidDevice)
{
    sys.write(QStringLiteral("devices/virtual/misc/uevent"), "MAJOR=10\nMINOR=1\n");
    SysfsHidInfo info;
    EXPECT_FALSE(SysfsHidInfo::read(sys.root() + QStringLiteral("/devices/virtual/misc"), info));
    EXPECT_FALSE(SysfsHidInfo::read(sys.root() + QStringLiteral("/devices/gone"), info));
    EXPECT_FALSE(info.valid);
}

TEST_F(SysfsHidInfoTest, CharacterDeviceNumberLeadsToItsHidDevice)
{
    addCable();
    sys.addHidraw(kUsbHid, QStringLiteral("hidraw3"), QStringLiteral("243:3"));
    const QString dir = SysfsHidInfo::hidDeviceDirOf(sys.root(), 243, 3);
    EXPECT_EQ(dir, QFileInfo(sys.root() + QLatin1Char('/') + kUsbHid).canonicalFilePath());
    EXPECT_TRUE(SysfsHidInfo::hidDeviceDirOf(sys.root(), 243, 4).isEmpty());
}

TEST(DeviceString, IsUtf16CutAtNulAnd254UnitsWithoutSplittingAPair)
{
    EXPECT_EQ(toDeviceString(QString::fromUtf8("Thermom\xC3\xA8tre")), u"Thermom\u00E8tre");
    EXPECT_EQ(toDeviceString(QStringLiteral("AB") + QChar(0) + QStringLiteral("CD")), u"AB");

    EXPECT_EQ(toDeviceString(QString(300, QLatin1Char('x'))).size(), 254u);
    // A clef (two units) straddling unit 254 is dropped whole.
    const QString straddling =
        QString(253, QLatin1Char('x')) + QString::fromUtf8("\xF0\x9D\x84\x9E");
    const std::u16string cut = toDeviceString(straddling);
    EXPECT_EQ(cut, std::u16string(253, u'x'));
}

} // namespace
