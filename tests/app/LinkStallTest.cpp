// A busy window loses no meter message: the GUI thread stalls for 10 s at
// the start of a download from a cable that, like the real one, sends a
// report every 10 ms and whose system queue holds only 64 of them (0.64 s).
// Every stored reading still becomes a row, and the download ends with
// command 2.
#include "EventLoopWait.h"
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingTable.h"
#include "sim/MeterMessages.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceReadThread.h"
#include "usb/platform/fake/FakeHidPlatform.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <thread>

namespace {

constexpr int kStored = 100;

// The meter behind the fake cable: on command 7 it sends kStored stored
// readings at 2400-baud pace (two meter bytes per report), each message
// followed by a report without meter bytes, then empty reports only.
class PacedMeter {
public:
    explicit PacedMeter(hidfake::FakeHidDevice& cable) : cable_(cable) {}
    ~PacedMeter()
    {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }
    void start()
    {
        thread_ = std::thread([this] {
            auto next = std::chrono::steady_clock::now();
            auto send = [&](std::vector<quint8> bytes) {
                std::vector<quint8> report(9, 0);
                report[1] = quint8(0xF0 | bytes.size());
                std::copy(bytes.begin(), bytes.end(), report.begin() + 2);
                cable_.pushReport(report);
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);
            };
            for (int i = 0; i < kStored && running_; ++i) {
                const auto line = MeterMessages::lineBytes(
                    MeterMessages::reading(20.0 + i, 10 * i, '7', i == kStored - 1));
                for (std::size_t at = 0; at < line.size(); at += 2)
                    send({line.begin() + at, line.begin() + std::min(at + 2, line.size())});
                send({});
            }
            while (running_)
                send({});
        });
    }

private:
    hidfake::FakeHidDevice& cable_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

class LinkStallTest : public WindowTest {
protected:
    LinkStallTest() : WindowTest(Deferred{}) {}
    ~LinkStallTest() override
    {
        meter.reset();
        window.reset();
    }

    hidfake::FakeHidPlatform platform;
    std::unique_ptr<PacedMeter> meter;
};

TEST_F(LinkStallTest, TenSecondStallDuringADownloadLosesNoStoredReading)
{
    hidfake::DeviceProfile profile;
    profile.vendorId = 0x04D9;
    profile.productId = 0xE000;
    profile.product = u"USB to Serial";
    profile.queueLimit = 64;
    auto cable = platform.plug(profile);
    meter = std::make_unique<PacedMeter>(*cable);
    cable->setOutputHook([this](const std::vector<quint8>& report) {
        if (report.size() > 2 && report[1] == 1 && report[2] == 7)
            meter->start();
    });
    openWindow(&platform);
    window->RecordSI->setChecked(false); // every reading becomes a record
    window->RecallData->setChecked(true);

    // The first thing the window does after connecting is stall.
    QTimer::singleShot(0, [] { std::this_thread::sleep_for(std::chrono::seconds(10)); });
    window->USBCon->click();
    auto stopSent = [&] {
        const auto outputs = cable->outputs();
        return !outputs.empty() && outputs.back()[1] == 1 && outputs.back()[2] == 2;
    };
    ASSERT_TRUE(pumpUntil(stopSent, 120000)) << window->cds1->rowCount() << " rows";
    EXPECT_EQ(cable->droppedReports(), 0u);
    const THidDevice* device = window->DevListBoxDevice(window->DevListBox->currentRow());
    ASSERT_TRUE(device && device->Reader());
    EXPECT_EQ(device->Reader()->ReportsLost(), 0u);
    ASSERT_EQ(window->cds1->rowCount(), kStored);
    EXPECT_EQ(window->cds1->rows().number(kStored - 1), kStored);
    EXPECT_EQ(window->State.CurrentFrame.mid(6, 2), QStringLiteral("99"));
}

} // namespace
