// How long the window may be busy during a download without losing a
// reading. The cable is the fake one with the system's 64-report queue per
// handle; it makes its reports at the pace of the real cable relative to
// the reader (never more than 32 ahead of it), so a stall is counted in the
// cable's time: 100 reports a second. The GUI thread connects for a
// download of 100 stored readings and then, instead of returning to its
// event loop, produces S seconds of cable reports (the download, then
// empty reports; a download longer than the stall goes on once the window
// is back). The figure is the largest S after which every reading
// became a row and the download ended with command 2.
#include "Figures.h"
#include "SilentDialogs.h"

#include "app/TFCOMM.h"
#include "recording/ReadingTable.h"
#include "sim/MeterMessages.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceReadThread.h"
#include "usb/platform/fake/FakeHidPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QToolButton>

#include <thread>

namespace {

constexpr int kStored = 100;
constexpr int kReportsPerSecond = 100;

// The download's reports: two meter bytes a report (2400 baud at 10 ms),
// a report without meter bytes after each message.
std::vector<std::vector<quint8>> downloadReports()
{
    std::vector<std::vector<quint8>> reports;
    auto add = [&](const quint8* bytes, std::size_t n) {
        std::vector<quint8> report(9, 0);
        report[1] = quint8(0xF0 | n);
        std::copy(bytes, bytes + n, report.begin() + 2);
        reports.push_back(report);
    };
    for (int i = 0; i < kStored; ++i) {
        const auto line = MeterMessages::lineBytes(
            MeterMessages::reading(20.0 + i, 10 * i, '7', i == kStored - 1));
        for (std::size_t at = 0; at < line.size(); at += 2)
            add(line.data() + at, std::min<std::size_t>(2, line.size() - at));
        add(nullptr, 0);
    }
    return reports;
}

bool downloadSurvives(int stallSeconds)
{
    hidfake::FakeHidPlatform platform;
    hidfake::DeviceProfile profile;
    profile.product = u"USB to Serial";
    profile.queueLimit = 64;
    auto cable = platform.plug(profile);
    SilentDialogs dialogs;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    services.hidPlatform = &platform;
    auto window = std::make_unique<TFCOMM>(services);
    window->RecordSI->setChecked(false);
    window->RecallData->setChecked(true);
    window->USBCon->click();

    // The stall: the GUI thread is busy making the cable's reports.
    const auto download = downloadReports();
    const std::vector<quint8> empty{0, 0xF0, 0, 0, 0, 0, 0, 0, 0};
    const int stallReports = stallSeconds * kReportsPerSecond;
    const int allReports = std::max(stallReports, int(download.size()) + 10);
    for (int n = 0; n < allReports; ++n) {
        while (cable->queuedReports() >= 32) {
            if (n >= stallReports) // the stall is over: the window works again
                QCoreApplication::processEvents();
            std::this_thread::yield();
        }
        cable->pushReport(std::size_t(n) < download.size() ? download[std::size_t(n)] : empty);
    }

    auto stopSent = [&] {
        const auto outputs = cable->outputs();
        return !outputs.empty() && outputs.back()[1] == 1 && outputs.back()[2] == 2;
    };
    QDeadlineTimer limit(10000);
    while (!stopSent() && !limit.hasExpired())
        QCoreApplication::processEvents();
    const THidDevice* device = window->DevListBoxDevice(window->DevListBox->currentRow());
    const bool intact = stopSent() && window->cds1->rowCount() == kStored &&
                        cable->droppedReports() == 0 && device && device->Reader() &&
                        device->Reader()->ReportsLost() == 0;
    window.reset();
    return intact;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The download alone takes 10 s of the cable; search 10..300 s.
    int good = 0, bad = 301;
    if (downloadSurvives(10)) {
        good = 10;
        while (bad - good > 1) {
            const int mid = (good + bad) / 2;
            (downloadSurvives(mid) ? good : bad) = mid;
        }
    }
    figures::print("link_gui_stall_tolerated_s", good, "s");
    return good >= 30 ? 0 : 1;
}
