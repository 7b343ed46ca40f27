// Start/stop and unplug races between the GUI thread and the read thread.
// Meant to run under ThreadSanitizer as well; a hang here is a deadlock.
#include "HidTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using hidtest::Recorder;
using hidtest::waitFor;

namespace {

// Keeps a few numbered reports queued on a device from its own thread, so
// that every reader started finds input at once.
class ReportFeeder {
public:
    explicit ReportFeeder(hidfake::FakeHidDevice& device)
        : thread_([this, &device] {
              quint16 n = 0;
              while (running_) {
                  if (device.queuedReports() < 4) {
                      device.pushReport({0, quint8(n >> 8), quint8(n)});
                      ++n;
                  } else {
                      std::this_thread::yield();
                  }
              }
          })
    {
    }
    ~ReportFeeder() { stop(); }
    void stop()
    {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::atomic<bool> running_{true};
    std::thread thread_;
};

TEST(HidReaderStress, StartStopCyclesWithDeliveriesPendingNeverDeadlockOrReorder)
{
    hidfake::FakeHidPlatform platform;
    auto cable = platform.plug(hidtest::cableProfile());
    THidDeviceController controller(platform);
    std::unique_ptr<THidDevice> device(controller.CheckOutAt(0));
    // A long slice: stopping must not wait for it to run out.
    device->SetSliceMs(10000);
    Recorder recorder;
    const THidDataEvent handler(&recorder, &Recorder::Data);

    ReportFeeder feeder(*cable);
    for (int cycle = 0; cycle < 10000; ++cycle) {
        const int started = cable->readsStarted();
        device->SetOnReport(handler);
        if (cycle % 2 == 0) {
            // Once the reader has started a read, a queued report completes
            // it at once and its delivery is about to be posted or pending.
            QDeadlineTimer limit(20000);
            while (cable->readsStarted() == started && !limit.hasExpired())
                std::this_thread::yield();
            ASSERT_GT(cable->readsStarted(), started);
        }
        if (cycle % 3 == 0)
            QCoreApplication::processEvents();
        device->SetOnReport(nullptr);
        if (cycle % 7 == 0)
            QCoreApplication::processEvents(); // stale deliveries of ended readers
    }
    feeder.stop();

    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(recorder.maxDepth, recorder.reports.empty() ? 0 : 1);
    // Delivered reports kept their order and none came twice (numbers wrap
    // at 65536, far beyond what a run consumes).
    auto number = [&](std::size_t i) {
        return quint16(recorder.reports[i].data[0] << 8 | recorder.reports[i].data[1]);
    };
    for (std::size_t i = 1; i < recorder.reports.size(); ++i)
        EXPECT_GT(quint16(number(i) - number(i - 1)), 0) << "report " << i << " came twice";
    // And reading still works afterwards.
    const std::size_t before = recorder.reports.size();
    device->SetOnReport(handler);
    cable->pushReport({0, 1});
    EXPECT_TRUE(waitFor([&] { return recorder.reports.size() > before; }));
}

TEST(HidReaderStress, UnplugWhileAReadIsOutstanding)
{
    hidfake::FakeHidPlatform platform;
    THidDeviceController controller(platform);
    Recorder recorder;
    controller.SetOnDeviceData(THidDataEvent(&recorder, &Recorder::Data));
    controller.SetOnDeviceDataError(THidDataErrorEvent(&recorder, &Recorder::DataError));
    for (int round = 0; round < 200; ++round) {
        auto cable = platform.plug(hidtest::cableProfile());
        platform.fireDeviceChange();
        std::unique_ptr<THidDevice> device(controller.CheckOutAt(controller.DeviceCount() - 1));
        ASSERT_TRUE(device && device->HasReader());
        device->SetSliceMs(10);
        if (round % 2 == 0) {
            ASSERT_TRUE(cable->waitUntilReaderIdle(std::chrono::seconds(20)));
        }
        cable->pushReport({0, 1});
        platform.unplug(cable);
        if (round % 3 == 0)
            QCoreApplication::processEvents();
        platform.fireDeviceChange();
        EXPECT_FALSE(device->PluggedIn());
        if (round % 4 == 0)
            QCoreApplication::processEvents();
        device.reset();
        EXPECT_EQ(cable->openHandles(hid::Access::Read), 0);
    }
    EXPECT_EQ(controller.DeviceCount(), 0);
}

} // namespace
