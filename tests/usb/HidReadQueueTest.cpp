// The read thread's own queue: it keeps reading while the GUI thread is
// busy, so the system's small per-handle queue never overflows; reports
// still reach the handler one at a time and in order; a stop discards what
// is queued; a full queue drops its oldest entries and counts them.
#include "HidTestSupport.h"

#include "usb/THidDeviceReadThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using hidtest::Recorder;
using hidtest::waitFor;

namespace {

// hidraw keeps 64 unread reports per handle and drops newer ones.
constexpr std::size_t kKernelQueue = 64;

class HidReadQueueTest : public hidtest::CableReaderTest {
protected:
    hidfake::DeviceProfile profile() const override
    {
        auto profile = hidtest::cableProfile();
        profile.queueLimit = kKernelQueue;
        return profile;
    }
    // Reports numbered from 0, two bytes each after the ID.
    static std::vector<quint8> numbered(int n) { return {0, quint8(n >> 8), quint8(n)}; }
    static int numberOf(const hidtest::Report& r) { return r.data[0] << 8 | r.data[1]; }
    // The device's reader has read everything the cable holds into its queue.
    bool readerQueued(std::size_t n)
    {
        QDeadlineTimer limit(20000);
        while (!(cable->queuedReports() == 0 && device->Reader()->QueuedReports() >= n)) {
            if (limit.hasExpired())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
};

TEST_F(HidReadQueueTest, CableWithoutAReaderKeepsWhatTheSystemKeepsAndDropsNewerReports)
{
    // The behaviour the tests below guard against, as hidraw shows it.
    for (int n = 0; n < 70; ++n)
        cable->pushReport(numbered(n));
    EXPECT_EQ(cable->queuedReports(), kKernelQueue);
    EXPECT_EQ(cable->droppedReports(), 70 - kKernelQueue);
}

TEST_F(HidReadQueueTest, BusyHandlerLosesNothingWhileTheCableGoesOnSending)
{
    // The cable sends a report every 10 ms, as the meter's does; the first
    // report's handler keeps the GUI thread busy until the cable has sent
    // eight times what the system's queue holds.
    constexpr int kReports = 8 * int(kKernelQueue);
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        auto next = std::chrono::steady_clock::now();
        for (int n = 0; n < kReports; ++n) {
            cable->pushReport(numbered(n));
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        sent = true;
    });
    recorder.onData = [&](THidDevice*) {
        while (!sent)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        recorder.onData = nullptr;
    };
    startReading();
    const bool all = waitFor([&] { return recorder.reports.size() >= std::size_t(kReports); });
    sender.join();
    ASSERT_TRUE(all) << recorder.reports.size() << " of " << kReports;
    EXPECT_EQ(cable->droppedReports(), 0u);
    EXPECT_EQ(device->Reader()->ReportsLost(), 0u);
    for (int n = 0; n < kReports; ++n)
        ASSERT_EQ(numberOf(recorder.reports[std::size_t(n)]), n);
    EXPECT_EQ(recorder.maxDepth, 1);
}

TEST_F(HidReadQueueTest, HandlerRunningAnEventLoopGetsNoSecondReportBeforeItReturns)
{
    recorder.onData = [&](THidDevice*) {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(); // as a message box inside a handler would
    };
    for (int n = 0; n < 50; ++n)
        cable->pushReport(numbered(n));
    startReading();
    ASSERT_TRUE(waitFor([&] { return recorder.reports.size() >= 50; }));
    EXPECT_EQ(recorder.maxDepth, 1);
    for (int n = 0; n < 50; ++n)
        EXPECT_EQ(numberOf(recorder.reports[std::size_t(n)]), n);
}

TEST_F(HidReadQueueTest, StopDiscardsWhatIsQueued)
{
    startReading();
    for (int n = 0; n < 30; ++n)
        cable->pushReport(numbered(n));
    ASSERT_TRUE(readerQueued(30)); // the GUI thread has handled none of them
    device->SetOnReport(nullptr);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.reports.empty());

    // A new reader starts with an empty queue and reads what comes next.
    startReading();
    cable->pushReport(numbered(99));
    ASSERT_TRUE(waitFor([&] { return !recorder.reports.empty(); }));
    EXPECT_EQ(numberOf(recorder.reports.front()), 99);
}

TEST(HidReadQueue, FullQueueDropsTheOldestAndCountsThem)
{
    hidfake::FakeHidPlatform platform;
    auto cable = platform.plug(hidtest::cableProfile());
    THidDeviceController controller(platform);
    // A checked-in device keeps its handler without a reader of its own;
    // this reader of eight entries delivers to it.
    THidDevice* device = controller.DeviceAt(0);
    Recorder recorder;
    device->SetOnReport(THidDataEvent(&recorder, &Recorder::Data));
    ASSERT_FALSE(device->HasReader());
    auto reader = std::make_shared<THidDeviceReadThread>(
        device, platform.open(cable->path(), hid::Access::Read), 9, 100, 8);
    for (int n = 0; n < 20; ++n)
        cable->pushReport({0, quint8(n)});
    reader->Start();
    QDeadlineTimer limit(20000);
    while (reader->ReportsLost() < 12 && !limit.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(reader->ReportsLost(), 12u);
    EXPECT_EQ(reader->QueuedReports(), 8u);

    ASSERT_TRUE(waitFor([&] { return recorder.reports.size() >= 8; }));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(recorder.reports[i].data, std::vector<quint8>{quint8(12 + i)});
    reader->Terminate();
}

} // namespace
