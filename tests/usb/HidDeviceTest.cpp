// The device object: opening rules, queries, writes, slices and check-in.
#include "HidTestSupport.h"

#include "usb/EControllerError.h"

#include <gtest/gtest.h>

#include <memory>

using hidfake::DeviceProfile;
using hidfake::Openable;
using hidtest::Recorder;

namespace {

class HidDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<hidfake::FakeHidDevice> plug(DeviceProfile profile = hidtest::cableProfile())
    {
        return platform.plug(std::move(profile));
    }
    void makeController() { controller = std::make_unique<THidDeviceController>(platform); }
    // Checks the device at index out; the test owns it from then on.
    std::unique_ptr<THidDevice> checkOut(qint32 index = 0)
    {
        return std::unique_ptr<THidDevice>(controller->CheckOutAt(index));
    }

    hidfake::FakeHidPlatform platform;
    Recorder recorder;
    std::unique_ptr<THidDeviceController> controller;
};

struct ConstructionCase {
    const char* name;
    Openable openable;
    bool identifiable;
    const char* error; // nullptr: constructs
    bool canReadWrite;
    friend void PrintTo(const ConstructionCase& c, std::ostream* os) { *os << c.name; }
};

class HidDeviceConstruction : public ::testing::TestWithParam<ConstructionCase> {};

TEST_P(HidDeviceConstruction, OpensOrFailsWithFixedText)
{
    const ConstructionCase& c = GetParam();
    hidfake::FakeHidPlatform platform;
    DeviceProfile profile;
    profile.openable = c.openable;
    profile.identifiable = c.identifiable;
    auto fake = platform.plug(profile);
    const THidPnPInfo info{fake->instance(), fake->path()};
    if (c.error) {
        try {
            THidDevice device(platform, info, nullptr);
            FAIL() << "constructed";
        } catch (const EControllerError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
        return;
    }
    THidDevice device(platform, info, nullptr);
    EXPECT_EQ(device.CanReadWrite(), c.canReadWrite);
    EXPECT_EQ(device.Attributes().VendorID, profile.vendorId);
    EXPECT_EQ(device.Attributes().ProductID, profile.productId);
    EXPECT_EQ(device.Attributes().VersionNumber, profile.versionNumber);
    // A listed device holds no open handle.
    EXPECT_EQ(fake->openHandles(hid::Access::ReadWrite), 0);
    EXPECT_EQ(fake->openHandles(hid::Access::QueryOnly), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HidDeviceConstruction,
    ::testing::Values(ConstructionCase{"ReadWrite", Openable::Fully, true, nullptr, true},
                      ConstructionCase{"QueryOnly", Openable::QueryOnly, true, nullptr, false},
                      ConstructionCase{"Unopenable", Openable::Never, true,
                                       "device cannot be opened", false},
                      ConstructionCase{"Unidentifiable", Openable::Fully, false,
                                       "device cannot be identified", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidDeviceTest, ListedDeviceRefusesToOpenUntilCheckedOut)
{
    auto fake = plug();
    makeController();
    THidDevice* listed = controller->DeviceAt(0);
    ASSERT_NE(listed, nullptr);
    const int attempts = platform.openAttempts();
    const quint8 report[3] = {0, 1, 2};
    std::size_t written = 99;
    EXPECT_FALSE(listed->WriteReport(report, 3, written));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(listed->WriteFeature(report, 3));
    EXPECT_TRUE(listed->QueryProduct().isEmpty());
    EXPECT_EQ(listed->QueryCaps().InputReportByteLength, 0);
    EXPECT_EQ(platform.openAttempts(), attempts);

    auto device = checkOut();
    std::vector<std::vector<quint8>> hooked;
    fake->setOutputHook([&](const std::vector<quint8>& r) { hooked.push_back(r); });
    EXPECT_EQ(device->QueryProduct(), QStringLiteral("USB to Serial"));
    EXPECT_EQ(device->QueryCaps().OutputReportByteLength, 9);
    // Queries close the handle again; writes keep it open.
    EXPECT_EQ(fake->openHandles(hid::Access::ReadWrite), 0);
    EXPECT_TRUE(device->WriteReport(report, 3, written));
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(device->WriteFeature(report, 2));
    EXPECT_EQ(fake->openHandles(hid::Access::ReadWrite), 1);
    EXPECT_EQ(fake->outputs(), (std::vector<std::vector<quint8>>{{0, 1, 2}}));
    EXPECT_EQ(hooked, fake->outputs());
    EXPECT_EQ(fake->features(), (std::vector<std::vector<quint8>>{{0, 1}}));

    // Cached answers survive unplugging; opening does not.
    device->MarkUnplugged();
    EXPECT_EQ(fake->openHandles(hid::Access::ReadWrite), 0);
    EXPECT_EQ(device->QueryProduct(), QStringLiteral("USB to Serial"));
    EXPECT_EQ(device->QueryCaps().OutputReportByteLength, 9);
    EXPECT_FALSE(device->WriteReport(report, 3, written));
}

TEST_F(HidDeviceTest, QueryOnlyDeviceAnswersQueriesButNeverWritesOrReads)
{
    DeviceProfile profile = hidtest::cableProfile();
    profile.openable = Openable::QueryOnly;
    auto fake = plug(profile);
    makeController();
    auto device = checkOut();
    EXPECT_FALSE(device->CanReadWrite());
    EXPECT_EQ(device->QueryProduct(), QStringLiteral("USB to Serial"));
    const quint8 feature[10] = {0, 0x60, 0x09, 0, 0, 3, 0, 0, 0, 0};
    EXPECT_FALSE(device->WriteFeature(feature, 10));
    device->SetOnReport(THidDataEvent(&recorder, &Recorder::Data));
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(fake->openHandles(hid::Access::Read), 0);
    EXPECT_EQ(fake->readsStarted(), 0);
}

struct SerialCase {
    const char* name;
    std::optional<std::u16string> serial;
    std::optional<std::u16string> languages;
    QString expected;
    friend void PrintTo(const SerialCase& c, std::ostream* os) { *os << c.name; }
};

class HidDeviceSerial : public HidDeviceTest, public ::testing::WithParamInterface<SerialCase> {};

TEST_P(HidDeviceSerial, SerialRepeatingTheLanguageListCountsAsAbsent)
{
    const SerialCase& c = GetParam();
    DeviceProfile profile;
    profile.serial = c.serial;
    profile.languages = c.languages;
    plug(profile);
    makeController();
    auto device = checkOut();
    EXPECT_EQ(device->QuerySerial(), c.expected);
}

const std::u16string us(1, char16_t(0x0409));
const std::u16string usDe{char16_t(0x0409), char16_t(0x0407)};

INSTANTIATE_TEST_SUITE_P(
    Cases, HidDeviceSerial,
    ::testing::Values(SerialCase{"RealSerial", u"AB12", us, QStringLiteral("AB12")},
                      SerialCase{"EqualsLanguageList", us, us, QString()},
                      SerialCase{"StartsWithLanguageList", us + u"XY", us, QString()},
                      SerialCase{"DiffersInsideLongerList", us + u"X", usDe,
                                 QString::fromUtf16(u"\u0409X")},
                      SerialCase{"NoLanguageList", u"AB12", std::nullopt, QString()},
                      SerialCase{"NoSerial", std::nullopt, us, QString()},
                      SerialCase{"LongSerialCutAt254Units", std::u16string(300, u'7'), us,
                                 QString(254, QLatin1Char('7'))},
                      // Kept as units, not read as byte-order marks.
                      SerialCase{"LeadingMarksKept", u"\uFFFE\uFEFFAB", us,
                                 QString(QChar(0xFFFE)) + QChar(0xFEFF) + "AB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidDeviceTest, SliceAcceptsTenToTenThousandMilliseconds)
{
    plug();
    makeController();
    auto device = checkOut();
    EXPECT_EQ(device->SliceMs(), 100);
    const std::pair<qint32, qint32> cases[] = {{9, 100},       {10, 10},    {10000, 10000},
                                               {10001, 10000}, {-5, 10000}, {250, 250}};
    for (const auto& [set, expected] : cases) {
        device->SetSliceMs(set);
        EXPECT_EQ(device->SliceMs(), expected) << "after SetSliceMs(" << set << ")";
    }
}

TEST_F(HidDeviceTest, CheckInLeavesACheckedInTwinAtTheSameIndexWithTheOldHandlers)
{
    plug(DeviceProfile{});
    auto cable = plug();
    plug(DeviceProfile{});
    makeController();
    auto device = checkOut(1);
    device->SetSliceMs(250);
    device->SetOnReport(THidDataEvent(&recorder, &Recorder::Data));
    device->SetOnUnplugged(THidPlugEvent(&recorder, &Recorder::Unplugged));
    ASSERT_TRUE(device->HasReader());
    device.reset();

    ASSERT_EQ(controller->DeviceCount(), 3);
    THidDevice* twin = controller->DeviceAt(1);
    EXPECT_EQ(twin->InterfaceInfo().InstanceHandle, cable->instance());
    EXPECT_EQ(twin->Controller(), controller.get());
    EXPECT_FALSE(twin->CheckedOut());
    EXPECT_TRUE(twin->PluggedIn());
    EXPECT_FALSE(twin->HasReader());
    EXPECT_EQ(twin->OnReport(), THidDataEvent(&recorder, &Recorder::Data));
    EXPECT_EQ(twin->OnUnplugged(), THidPlugEvent(&recorder, &Recorder::Unplugged));
    EXPECT_EQ(twin->SliceMs(), 250);
    EXPECT_EQ(cable->openHandles(hid::Access::Read), 0);

    // Checked out again, the twin reads with the handler it inherited.
    auto again = checkOut(1);
    ASSERT_TRUE(again->HasReader());
    cable->pushReport({0, 0xF1, 0x35});
    ASSERT_TRUE(hidtest::waitFor([&] { return recorder.reports.size() == 1; }));
    EXPECT_EQ(recorder.reports[0].device, again.get());
}

TEST_F(HidDeviceTest, CheckInRemovesTheEntryWhenTheDeviceIsGoneOrCannotBeReopened)
{
    auto first = plug();
    auto second = plug();
    makeController();
    auto unplugged = checkOut(0);
    auto unopenable = checkOut(1);
    unplugged->MarkUnplugged();
    unplugged.reset();
    ASSERT_EQ(controller->DeviceCount(), 1);
    // Gone from the system but not yet reported: the twin cannot be built.
    platform.unplug(second);
    unopenable.reset();
    EXPECT_EQ(controller->DeviceCount(), 0);
}

TEST_F(HidDeviceTest, MarkUnpluggedCallsTheUnplugHandlerOnce)
{
    plug();
    makeController();
    auto device = checkOut();
    device->SetOnUnplugged(THidPlugEvent(&recorder, &Recorder::Unplugged));
    device->MarkUnplugged();
    device->MarkUnplugged();
    EXPECT_EQ(recorder.unplugged, std::vector<THidDevice*>{device.get()});
    EXPECT_FALSE(device->OnUnplugged());
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_FALSE(device->Accessible());
}

} // namespace
