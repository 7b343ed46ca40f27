#include "usb/platform/linux/HidrawHandle.h"

#include "FakeSysfs.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <future>
#include <sys/socket.h>
#include <unistd.h>

using hid::Access;
using hid::ReadWait;
using hid::hidraw::HidrawHandle;
using hid::hidraw::SysfsHidInfo;

namespace {

// Unnumbered vendor reports: 8 bytes in and out, 9 bytes feature.
const QByteArray kUnnumbered("\x75\x08\x95\x08\x81\x02\x91\x02\x95\x09\xB1\x02", 12);
// Report ID 2: 3 bytes in.
const QByteArray kNumbered("\x85\x02\x75\x08\x95\x03\x81\x02", 8);

SysfsHidInfo identityWith(const QByteArray& descriptor)
{
    SysfsHidInfo info;
    info.valid = true;
    info.bus = 3;
    info.vendorId = 0x10C4;
    info.productId = 0xEA80;
    info.versionNumber = 0x0100;
    info.product = QStringLiteral("USB to Serial");
    info.reportDescriptor = descriptor;
    return info;
}

// A datagram socket pair stands in for a hidraw node: like hidraw it hands
// out one whole message per read, and closing the far end looks like the
// device going away.
class HidrawReadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0); }
    void TearDown() override
    {
        if (fds[1] >= 0)
            ::close(fds[1]);
    }

    std::unique_ptr<HidrawHandle> handleWith(const QByteArray& descriptor)
    {
        return std::make_unique<HidrawHandle>(fds[0], true, identityWith(descriptor));
    }

    void deviceSends(std::initializer_list<quint8> bytes)
    {
        const std::vector<quint8> report(bytes);
        ASSERT_EQ(::write(fds[1], report.data(), report.size()), ssize_t(report.size()));
    }

    int fds[2] = {-1, -1};
    std::array<quint8, 16> buffer{};
    quint32 error = 0;
    std::size_t count = 0;
};

TEST_F(HidrawReadTest, UnnumberedReportGetsReportIdZeroInFront)
{
    auto handle = handleWith(kUnnumbered);
    deviceSends({0xF2, 0x31, 0x32, 0, 0, 0, 0, 0});
    buffer.fill(0xEE);
    ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
    ASSERT_EQ(handle->waitRead(10000, count), ReadWait::Completed);
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xF2);
    EXPECT_EQ(buffer[3], 0x32);
    EXPECT_EQ(buffer[9], 0xEE) << "wrote past the requested length";
}

TEST_F(HidrawReadTest, NumberedReportKeepsItsIdByte)
{
    auto handle = handleWith(kNumbered);
    deviceSends({0x02, 0xA, 0xB, 0xC});
    ASSERT_TRUE(handle->startRead(buffer.data(), 4, error));
    ASSERT_EQ(handle->waitRead(10000, count), ReadWait::Completed);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(buffer[0], 0x02);
    EXPECT_EQ(buffer[3], 0xC);
}

TEST_F(HidrawReadTest, ReportsArriveOneReadAtATimeInOrder)
{
    auto handle = handleWith(kUnnumbered);
    deviceSends({1});
    deviceSends({2});
    for (quint8 expected : {1, 2}) {
        ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
        ASSERT_EQ(handle->waitRead(10000, count), ReadWait::Completed);
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(buffer[1], expected);
    }
    ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
    EXPECT_EQ(handle->waitRead(0, count), ReadWait::TimedOut);
}

TEST_F(HidrawReadTest, WakeEndsTheWaitEvenWithDataPending)
{
    auto handle = handleWith(kUnnumbered);
    deviceSends({7});
    ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
    handle->wake(); // before the wait: the wake must not be lost
    EXPECT_EQ(handle->waitRead(60000, count), ReadWait::TimedOut);
    // The read is still outstanding and gets the report next.
    EXPECT_EQ(handle->waitRead(10000, count), ReadWait::Completed);
    EXPECT_EQ(buffer[1], 7);
}

TEST_F(HidrawReadTest, WakeFromAnotherThreadEndsABlockedWait)
{
    auto handle = handleWith(kUnnumbered);
    ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
    std::promise<void> waiting;
    auto result = std::async(std::launch::async, [&] {
        std::size_t n = 0;
        waiting.set_value();
        return handle->waitRead(-1, n); // no time limit: only wake() ends it
    });
    waiting.get_future().wait();
    handle->wake();
    EXPECT_EQ(result.get(), ReadWait::TimedOut);
}

TEST_F(HidrawReadTest, DeviceGoneFailsTheRead)
{
    auto handle = handleWith(kUnnumbered);
    ASSERT_TRUE(handle->startRead(buffer.data(), 9, error));
    ::close(fds[1]);
    fds[1] = -1;
    EXPECT_EQ(handle->waitRead(10000, count), ReadWait::Failed);
}

TEST(HidrawReadOfVanishedDevice, IsRefusedAtStartWithASystemError)
{
    // A pipe whose writer is closed polls as hang-up without data, as an
    // unplugged hidraw node does.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[1]);
    SysfsHidInfo identity;
    HidrawHandle handle(pipeFds[0], false, identity);
    std::array<quint8, 9> buffer{};
    quint32 error = 0;
    EXPECT_FALSE(handle.startRead(buffer.data(), buffer.size(), error));
    EXPECT_EQ(error, quint32(ENODEV));
}

TEST_F(HidrawReadTest, OutputReportGoesOutUnchangedWithItsIdByte)
{
    auto handle = handleWith(kUnnumbered);
    const quint8 report[9] = {0x00, 0x01, 0x5A, 0, 0, 0, 0, 0, 0};
    std::size_t written = 0;
    ASSERT_TRUE(handle->writeOutput(report, sizeof report, written));
    EXPECT_EQ(written, 9u);
    std::array<quint8, 16> received{};
    ASSERT_EQ(::read(fds[1], received.data(), received.size()), 9);
    EXPECT_EQ(received[0], 0x00);
    EXPECT_EQ(received[2], 0x5A);
}

// Query only, without device access: every query comes from sysfs and
// nothing can be written or read.
TEST(HidrawQueryOnlyHandle, AnswersQueriesFromSysfsAndRefusesIo)
{
    HidrawHandle handle(-1, true, identityWith(kUnnumbered));

    hid::Attributes attributes;
    ASSERT_TRUE(handle.attributes(attributes));
    EXPECT_EQ(attributes.VendorID, 0x10C4);
    EXPECT_EQ(attributes.ProductID, 0xEA80);
    EXPECT_EQ(attributes.VersionNumber, 0x0100);
    hid::ReportLengths lengths;
    ASSERT_TRUE(handle.reportLengths(lengths));
    EXPECT_EQ(lengths.input, 9);
    EXPECT_EQ(lengths.feature, 10);
    std::u16string text;
    ASSERT_TRUE(handle.productString(text));
    EXPECT_EQ(text, u"USB to Serial");
    EXPECT_FALSE(handle.serialString(text));

    const quint8 report[10] = {};
    std::size_t written = 99;
    EXPECT_FALSE(handle.sendFeature(report, sizeof report));
    EXPECT_FALSE(handle.writeOutput(report, sizeof report, written));
    EXPECT_EQ(written, 0u);
    std::array<quint8, 9> buffer{};
    quint32 error = 0;
    EXPECT_FALSE(handle.startRead(buffer.data(), buffer.size(), error));
    EXPECT_NE(error, 0u);
}

TEST(HidrawQueryOnlyHandle, LanguageListIsUsEnglishSoRealSerialsSurvive)
{
    HidrawHandle handle(-1, false, identityWith(kUnnumbered));
    std::u16string languages;
    ASSERT_TRUE(handle.indexedString(0, languages));
    EXPECT_EQ(languages, std::u16string(1, char16_t(0x0409)));
    EXPECT_FALSE(handle.indexedString(1, languages));
}

TEST(HidrawQueryOnlyHandle, WithoutDescriptorHasNoReportLengths)
{
    HidrawHandle handle(-1, false, identityWith(QByteArray()));
    hid::ReportLengths lengths;
    EXPECT_FALSE(handle.reportLengths(lengths));
}

// Opening resolves the node's sysfs identity through its device number;
// /dev/null (1:3) is a character device every machine has.
TEST(HidrawOpen, FindsSysfsIdentityThroughTheDeviceNumber)
{
    FakeSysfs sys;
    const QString hid = QStringLiteral("devices/usb1/1-1/1-1:1.0/0003:10C4:EA80.0001");
    sys.write(QStringLiteral("devices/usb1/1-1/idVendor"), "10c4\n");
    sys.write(QStringLiteral("devices/usb1/1-1/product"), "USB to Serial\n");
    sys.write(hid + QStringLiteral("/uevent"), "HID_ID=0003:000010C4:0000EA80\n");
    sys.addHidraw(hid, QStringLiteral("hidraw0"), QStringLiteral("1:3"));

    auto handle = HidrawHandle::open(QStringLiteral("/dev/null"), Access::QueryOnly, sys.root());
    ASSERT_NE(handle, nullptr);
    hid::Attributes attributes;
    ASSERT_TRUE(handle->attributes(attributes));
    EXPECT_EQ(attributes.ProductID, 0xEA80);
    std::u16string product;
    ASSERT_TRUE(handle->productString(product));
    EXPECT_EQ(product, u"USB to Serial");
}

TEST(HidrawOpen, MissingNodeOpensWithNoAccess)
{
    FakeSysfs sys;
    const QString missing = sys.root() + QStringLiteral("/hidraw99");
    for (Access access : {Access::ReadWrite, Access::QueryOnly, Access::Read})
        EXPECT_EQ(HidrawHandle::open(missing, access, sys.root()), nullptr);
}

} // namespace
