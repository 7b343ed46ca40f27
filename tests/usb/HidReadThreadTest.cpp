// The read thread: what reaches the handler, in what order, and how reading
// ends — by request, by a failing handler, by unplugging or destruction.
#include "HidTestSupport.h"

#include "usb/THidDeviceReadThread.h"

#include <gtest/gtest.h>

#include <memory>

using hidtest::Recorder;
using hidtest::waitFor;

namespace {

class HidReadThreadTest : public hidtest::CableReaderTest {
protected:
    static void pumpEvents()
    {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }
    bool waitReports(std::size_t n)
    {
        return waitFor([&] { return recorder.reports.size() >= n; });
    }
};

TEST_F(HidReadThreadTest, FirstByteIsTheReportIdAndTheRestTheData)
{
    startReading();
    cable->pushReport({0x00, 0xF3, 0x31, 0x32, 0x33, 0, 0, 0, 0}); // full length 9
    cable->pushReport({0x07, 0xAA});                               // short report
    cable->pushReport({0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});  // longer than the buffer
    ASSERT_TRUE(waitReports(3));
    EXPECT_EQ(recorder.reports[0].id, 0x00);
    EXPECT_EQ(recorder.reports[0].data, (std::vector<quint8>{0xF3, 0x31, 0x32, 0x33, 0, 0, 0, 0}));
    EXPECT_EQ(recorder.reports[1].id, 0x07);
    EXPECT_EQ(recorder.reports[1].data, (std::vector<quint8>{0xAA}));
    EXPECT_EQ(recorder.reports[2].id, 0x02);
    EXPECT_EQ(recorder.reports[2].data.size(), 8u);
    EXPECT_EQ(recorder.reports[2].device, device.get());
}

TEST_F(HidReadThreadTest, ReportsArriveOneAtATimeInOrderAndEmptyReadsAreDropped)
{
    startReading();
    for (quint8 i = 0; i < 200; ++i) {
        cable->pushReport({0, i});
        if (i % 50 == 0)
            cable->pushReport({}); // a read that completes with no bytes
    }
    ASSERT_TRUE(waitReports(200));
    ASSERT_TRUE(cable->waitUntilReaderIdle(std::chrono::seconds(20)));
    ASSERT_EQ(recorder.reports.size(), 200u);
    for (quint8 i = 0; i < 200; ++i)
        EXPECT_EQ(recorder.reports[i].data, std::vector<quint8>{i});
    EXPECT_EQ(recorder.maxDepth, 1);
}

TEST_F(HidReadThreadTest, ReadThatCannotStartIsReportedAndRetried)
{
    device->SetOnReportError(THidDataErrorEvent(&recorder, &Recorder::DataError));
    device->SetSliceMs(10);
    cable->failReadStarts(31, 2);
    startReading();
    cable->pushReport({0, 0x42});
    ASSERT_TRUE(waitReports(1));
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.errors[0], std::make_pair(device.get(), quint32(31)));
    EXPECT_EQ(recorder.reports[0].data, std::vector<quint8>{0x42});
}

TEST_F(HidReadThreadTest, FailingHandlerEndsTheReaderUntilOnReportIsClearedAndSetAgain)
{
    recorder.throwOnData = true;
    cable->pushReport({0, 1});
    cable->pushReport({0, 3}); // discarded if it was read before the handler failed
    startReading();
    ASSERT_TRUE(waitFor([&] { return !device->ReaderRunning(); }));
    pumpEvents();
    EXPECT_EQ(recorder.reports.size(), 1u);
    EXPECT_TRUE(device->HasReader());
    EXPECT_EQ(device->OnReport(), THidDataEvent(&recorder, &Recorder::Data));
    EXPECT_TRUE(device->CheckedOut());

    // Setting the same handler again does not revive the ended reader.
    startReading();
    EXPECT_FALSE(device->ReaderRunning());

    recorder.throwOnData = false;
    device->SetOnReport(nullptr);
    EXPECT_FALSE(device->HasReader());
    cable->pushReport({0, 2});
    startReading();
    ASSERT_TRUE(waitFor([&] { return recorder.reports.back().data == std::vector<quint8>{2}; }));
    EXPECT_LE(recorder.reports.size(), 3u);
}

TEST_F(HidReadThreadTest, ReplacingTheHandlerKeepsTheRunningReader)
{
    startReading();
    cable->pushReport({0, 1});
    ASSERT_TRUE(waitReports(1));
    Recorder other;
    device->SetOnReport(THidDataEvent(&other, &Recorder::Data));
    cable->pushReport({0, 2});
    ASSERT_TRUE(waitFor([&] { return other.reports.size() == 1; }));
    EXPECT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(cable->openHandles(hid::Access::Read), 1);
}

TEST_F(HidReadThreadTest, HandlerMayStopTheReaderOrCheckTheDeviceIn)
{
    startReading();
    std::vector<quint8> seenAfterStop;
    recorder.onData = [&](THidDevice* dev) {
        dev->SetOnReport(nullptr); // stops its own reader from inside the delivery
        seenAfterStop = recorder.reports.back().data;
    };
    cable->pushReport({0, 9});
    cable->pushReport({0, 10});
    ASSERT_TRUE(waitReports(1));
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(seenAfterStop, std::vector<quint8>{9});

    // Report 10 may have been read ahead before the stop and gone with it.
    recorder.onData = [&](THidDevice*) { device.reset(); };
    startReading();
    cable->pushReport({0, 11});
    ASSERT_TRUE(waitReports(2));
    EXPECT_FALSE(device);
    EXPECT_EQ(controller->DeviceAt(0)->OnReport(), THidDataEvent(&recorder, &Recorder::Data));
    EXPECT_EQ(cable->openHandles(hid::Access::Read), 0);
}

TEST_F(HidReadThreadTest, UnpluggedDeviceReportsReadErrorsUntilTheHandlerIsCleared)
{
    device->SetOnReportError(THidDataErrorEvent(&recorder, &Recorder::DataError));
    device->SetSliceMs(10);
    controller->SetOnRemoval(THidPlugEvent(&recorder, &Recorder::Removal));
    startReading();
    ASSERT_TRUE(cable->waitUntilReaderIdle(std::chrono::seconds(20)));

    platform.unplug(cable); // the outstanding read fails
    platform.fireDeviceChange();
    EXPECT_EQ(recorder.removals, std::vector<THidDevice*>{device.get()});
    EXPECT_FALSE(device->PluggedIn());
    // Once the handle is dropped every attempt reports the missing handle
    // (one attempt on the old handle may report the device's own error first).
    ASSERT_TRUE(waitFor([&] {
        return recorder.errors.size() >= 2 &&
               recorder.errors.back().second == THidDeviceReadThread::ErrorNoHandle;
    }));
    EXPECT_TRUE(device->ReaderRunning());
    EXPECT_EQ(cable->openHandles(hid::Access::Read), 0);
    device->SetOnReport(nullptr);
    EXPECT_FALSE(device->HasReader());
}

TEST_F(HidReadThreadTest, DestroyingTheControllerEndsTheReaderAndOrphansTheDevice)
{
    device->SetOnUnplugged(THidPlugEvent(&recorder, &Recorder::Unplugged));
    startReading();
    ASSERT_TRUE(cable->waitUntilReaderIdle(std::chrono::seconds(20)));
    controller.reset();
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(device->Controller(), nullptr);
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_EQ(recorder.unplugged, std::vector<THidDevice*>{device.get()});
    EXPECT_FALSE(platform.hasDeviceChangeHandler());
    device.reset(); // nothing left to check in to
}

} // namespace
