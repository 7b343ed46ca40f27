// The simulator behind the HID device classes: listed, opened, written and
// read on the device's own read thread, on a clock that never waits.
#include "sim/SimHidPlatform.h"
#include "protocol/CableFeatureReport.h"
#include "protocol/FrameBuilder.h"
#include "protocol/MeterCommands.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceController.h"

#include "EventLoopWait.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>
#include <atomic>

namespace {

class SimHidPlatformTest : public ::testing::Test {
protected:
    SimHidPlatformTest()
        : platform(MeterMessages::builtIn(), SimClock::jumping()), controller(platform)
    {
    }
    ~SimHidPlatformTest() override { delete cable; }

    void checkOutCable()
    {
        ASSERT_EQ(controller.DeviceCount(), 1);
        cable = controller.CheckOutAt(0);
        ASSERT_NE(cable, nullptr);
    }
    void write(const std::vector<quint8>& report)
    {
        std::size_t written = 0;
        EXPECT_TRUE(cable->WriteReport(report.data(), report.size(), written));
        EXPECT_EQ(written, report.size());
    }
    void connect(quint8 start)
    {
        CableFeatureReport::SpeedBoxes boxes;
        boxes.b2400 = true;
        const auto feature = CableFeatureReport::build(boxes);
        EXPECT_TRUE(cable->WriteFeature(feature.data(), feature.size()));
        write(MeterCommands::preambleReport(cable->QueryCaps().OutputReportByteLength));
        cable->SetOnReport(THidDataEvent::fromCallable(
            this, [this](THidDevice*, quint8, const quint8* data, quint16 size) {
                FrameBuilder(state).takeReport(data, size, download, actions);
            }));
        write(MeterCommands::commandReport(start, cable->QueryCaps().OutputReportByteLength));
    }

    SimHidPlatform platform;
    THidDeviceController controller;
    THidDevice* cable = nullptr;
    FrameAssemblyState state;
    bool download = false;
    QStringList frames;
    FrameBuilder::Actions actions{
        [this] { frames << state.CurrentFrame; },
        [this] { write(MeterCommands::commandReport(MeterCommands::Stop, 9)); }};
};

TEST_F(SimHidPlatformTest, CableListsAsUsbToSerialWithoutSerialNumber)
{
    checkOutCable();
    EXPECT_EQ(cable->QueryProduct(), QStringLiteral("USB to Serial"));
    EXPECT_TRUE(cable->QuerySerial().isEmpty());
    EXPECT_TRUE(cable->CanReadWrite());
    const THidCaps caps = cable->QueryCaps();
    EXPECT_EQ(caps.InputReportByteLength, 9);
    EXPECT_EQ(caps.OutputReportByteLength, 9);
    EXPECT_EQ(caps.FeatureReportByteLength, 10);
}

TEST_F(SimHidPlatformTest, DownloadThroughTheReadThreadEndsWithTheStopCommand)
{
    checkOutCable();
    download = true;
    connect(MeterCommands::SendStored);
    ASSERT_TRUE(pumpUntil([this] { return frames.size() >= 100; }));
    ASSERT_TRUE(pumpUntil([this] { return platform.meterBytesReceived().size() >= 4; }));
    cable->SetOnReport(nullptr);
    EXPECT_EQ(frames.size(), 100);
    EXPECT_EQ(frames.last().mid(6, 2), QStringLiteral("99"));
    EXPECT_EQ(platform.meterBytesReceived(), (std::vector<quint8>{0x5A, 0x00, 0x07, 0x02}));
    EXPECT_EQ(platform.cableBaudRate(), 2400u);
}

TEST_F(SimHidPlatformTest, UnpluggingTheCableWhileReadingEndsTheReadsAndItsListing)
{
    checkOutCable();
    connect(MeterCommands::StartLive);
    ASSERT_TRUE(pumpUntil([this] { return frames.size() >= 3; }));
    platform.unplug(platform.cableInstance());
    EXPECT_FALSE(cable->PluggedIn());
    cable->SetOnReport(nullptr);
    delete cable; // check-in of a device that is gone
    cable = nullptr;
    EXPECT_EQ(controller.DeviceCount(), 0);

    platform.plugDevice(QStringLiteral("Keyboard"), 0x0001, 0x0002);
    platform.plugCable();
    EXPECT_EQ(controller.DeviceCount(), 2);
}

// A clock the test sets; waits jump to their due time as on the jumping
// clock, so a test can leave the cable unread for a while.
class SetClock final : public SimClock {
public:
    qint64 nowUs() const override { return now_.load(); }
    void waitUntil(std::unique_lock<std::mutex>&, std::condition_variable&, qint64 dueUs,
                   const std::function<bool()>& interrupted) override
    {
        if (!interrupted() && dueUs > now_.load())
            now_.store(dueUs);
    }
    void set(qint64 us) { now_.store(us); }

private:
    std::atomic<qint64> now_{0};
};

TEST(SimHidPlatformQueue, CableReportsQueueWhileNobodyReadsUpToSixtyFour)
{
    auto owned = std::make_unique<SetClock>();
    SetClock& clock = *owned;
    SimHidPlatform platform(MeterMessages::builtIn(), std::move(owned));
    const QString path = platform.listInterfaces().at(0).path;
    const std::unique_ptr<hid::Handle> reader = platform.open(path, hid::Access::Read);
    ASSERT_NE(reader, nullptr);

    clock.set(2000 * 1000); // two seconds, 200 polls, nobody reading
    int queued = 0;
    std::array<quint8, 9> buffer{};
    std::size_t count = 0;
    quint32 error = 0;
    for (;;) {
        ASSERT_TRUE(reader->startRead(buffer.data(), buffer.size(), error));
        if (reader->waitRead(0, count) != hid::ReadWait::Completed)
            break;
        EXPECT_EQ(count, 9u);
        EXPECT_EQ(buffer[1], 0xF0); // the meter is silent
        ++queued;
    }
    EXPECT_EQ(queued, 64);
    // Then the next report comes with the next poll.
    ASSERT_EQ(reader->waitRead(100, count), hid::ReadWait::Completed);
    EXPECT_EQ(clock.nowUs(), 2010 * 1000);
}

} // namespace
