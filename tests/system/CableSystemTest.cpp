// The window on the real Linux backend and a real kernel: run inside the
// test machine (tests/system/vm/run-vm), where the emulated cable is a USB
// device enumerated by the kernel's own HID drivers and udevd reports it
// coming and going. Outside that machine every test skips.
#include "EventLoopWait.h"
#include "GuestCable.h"
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingTable.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceReadThread.h"
#include "usb/platform/linux/LinuxHidPlatform.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <thread>

namespace {

const QString kSpeed = QStringLiteral("feature 60 09 00 00 03 00 00 00 00");
const QString kPreamble = QStringLiteral("output 02 5A 00 00 00 00 00 00");
QString command(int code)
{
    return QStringLiteral("output 01 %1 00 00 00 00 00 00").arg(code, 2, 10, QLatin1Char('0'));
}

// hidraw nodes this process holds open for reading only: the read
// threads' handles (the window's own handle for writes is read/write).
int readHandles()
{
    int n = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System)) {
        if (!fd.symLinkTarget().startsWith(QStringLiteral("/dev/hidraw")))
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd.fileName());
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("flags:") && (line.mid(6).trimmed().toInt(nullptr, 8) & 3) == 0)
                ++n;
        }
    }
    return n;
}

class CableSystemTest : public WindowTest {
protected:
    CableSystemTest() : WindowTest(Deferred{}) {}
    void SetUp() override
    {
        if (!QFile::exists(QStringLiteral("/sys/kernel/config/usb_gadget/cable")))
            GTEST_SKIP() << "not inside the test machine";
        ASSERT_TRUE(guest::plugCable(true));
        platform = hid::makeLinuxHidPlatform();
        openWindow(platform.get());
        window->RecordSI->setChecked(false); // every reading becomes a record
        ASSERT_TRUE(cableSelected());
    }
    void TearDown() override
    {
        window.reset();
        platform.reset();
    }

    THidDevice* cable() const { return window->DevListBoxDevice(window->DevListBox->currentRow()); }
    bool cableSelected() const
    {
        return pumpUntil([&] {
            const QListWidgetItem* line = window->DevListBox->currentItem();
            return line && line->isSelected() && line->text() == QStringLiteral("USB to Serial");
        });
    }
    // What the cable received since the test's mark.
    QStringList received() const { return guest::cableLog().mid(mark); }
    void markLog() { mark = guest::cableLog().size(); }
    bool cableReceived(const QString& line, int limitMs = 60000)
    {
        return pumpUntil([&] { return received().contains(line); }, limitMs);
    }
    void connectCable()
    {
        markLog();
        window->USBCon->click();
    }

    std::unique_ptr<hid::Platform> platform;
    int mark = 0;
};

TEST_F(CableSystemTest, ListingShowsTheCableWithItsReportsAndNoSerialNumber)
{
    EXPECT_EQ(window->DevListBox->count(), 1);
    THidDevice* device = cable();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->CheckedOut());
    EXPECT_TRUE(device->CanReadWrite());
    EXPECT_EQ(device->Attributes().VendorID, 0x1234);
    EXPECT_EQ(device->Attributes().ProductID, 0x5678);
    EXPECT_EQ(device->Attributes().VersionNumber, 0x0110);
    const THidCaps caps = device->QueryCaps();
    EXPECT_EQ(caps.InputReportByteLength, 9);
    EXPECT_EQ(caps.OutputReportByteLength, 9);
    EXPECT_EQ(caps.FeatureReportByteLength, 10);
    EXPECT_EQ(device->QueryProduct(), QStringLiteral("USB to Serial"));
    EXPECT_TRUE(device->QuerySerial().isEmpty());
    EXPECT_TRUE(device->InterfaceInfo().InterfacePath.startsWith(QStringLiteral("/dev/hidraw")));
}

TEST_F(CableSystemTest, UdevRuleGivesTheSeatUserTheCable)
{
    // The rule shipped for users: udevd has read it from /etc/udev/rules.d.
    QProcess udevadm;
    udevadm.start(QStringLiteral("udevadm"),
                  {QStringLiteral("info"), QStringLiteral("--query=property"),
                   cable()->InterfaceInfo().InterfacePath});
    ASSERT_TRUE(udevadm.waitForFinished(60000));
    const QString properties = QString::fromLocal8Bit(udevadm.readAllStandardOutput());
    const auto tags =
        properties.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^TAGS=")));
    ASSERT_EQ(tags.size(), 1) << properties.toStdString();
    EXPECT_TRUE(tags.first().contains(QStringLiteral(":uaccess:"))) << properties.toStdString();
}

TEST_F(CableSystemTest, ConnectSendsSpeedPreambleAndStartThenLiveReadingsBecomeRows)
{
    connectCable();
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() >= 2; }))
        << received().join(QLatin1Char('\n')).toStdString();
    const QStringList sent = received();
    ASSERT_GE(sent.size(), 3);
    EXPECT_EQ(sent.mid(0, 3), (QStringList{kSpeed, kPreamble, command(1)}));
    EXPECT_EQ(window->cds1->rows().text(0, ReadingField::AT1T2), QStringLiteral("T1"));
    EXPECT_TRUE(window->cds1->rows().text(1, ReadingField::AValue).contains(QStringLiteral("23.")))
        << window->cds1->rows().text(1, ReadingField::AValue).toStdString();
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_EQ(readHandles(), 1);

    window->USBCon->click(); // disconnect: command 2, then the reader stops
    EXPECT_TRUE(cableReceived(command(2)));
    EXPECT_FALSE(cable()->HasReader());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Connection"));
    EXPECT_EQ(readHandles(), 0);
}

// A download, plain and with the window stalled for 10 s as it starts:
// the kernel keeps only 0.64 s of reports for a reader that does not read.
class CableDownloadTest : public CableSystemTest, public ::testing::WithParamInterface<int> {};

TEST_P(CableDownloadTest, EveryStoredReadingArrivesThenCommandTwo)
{
    window->RecallData->setChecked(true);
    if (const int stallSeconds = GetParam())
        QTimer::singleShot(
            0, [stallSeconds] { std::this_thread::sleep_for(std::chrono::seconds(stallSeconds)); });
    connectCable();
    ASSERT_TRUE(cableReceived(command(2), 180000)) << window->cds1->rowCount() << " rows";
    EXPECT_EQ(received().mid(0, 3), (QStringList{kSpeed, kPreamble, command(7)}));
    EXPECT_EQ(dialogs.texts().value(0), QStringLiteral(" Record deleted "));
    ASSERT_EQ(window->cds1->rowCount(), 100);
    EXPECT_EQ(window->cds1->rows().number(99), 100);
    EXPECT_EQ(window->State.CurrentFrame.mid(6, 2), QStringLiteral("99"));
    ASSERT_TRUE(cable()->Reader());
    EXPECT_EQ(cable()->Reader()->ReportsLost(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Stall, CableDownloadTest, ::testing::Values(0, 10), [](const auto& info) {
    return info.param ? "WindowStalledTenSeconds" : "WindowResponsive";
});

TEST_F(CableSystemTest, UnplugWhileConnectedThenReplugAndConnectAgain)
{
    connectCable();
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() >= 1; }));

    ASSERT_TRUE(guest::plugCable(false));
    ASSERT_TRUE(pumpUntil([&] { return window->DevListBox->count() == 0; }));
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_EQ(window->ActiveCable, nullptr);
    window->State.EmptyReportCount = 3000;
    window->ConTimerTimer(); // the timeout branch has no cable left to touch
    window->ConTimerTimer();
    window->ConTimerTimer();
    EXPECT_EQ(readHandles(), 0);
    dialogs.clear();

    ASSERT_TRUE(guest::plugCable(true));
    ASSERT_TRUE(cableSelected());
    const int rows = window->cds1->rowCount();
    window->USBCon->setChecked(false); // the press below puts it down: connect
    connectCable();
    EXPECT_TRUE(window->USBCon->isChecked());
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() > rows; }));
    EXPECT_EQ(received().mid(0, 3), (QStringList{kSpeed, kPreamble, command(1)}));
}

TEST_F(CableSystemTest, RefusedFeatureReportGoesUnreportedAndTheConnectionGoesOn)
{
    window.reset();
    ASSERT_TRUE(guest::plugCable(false));
    auto failingCable = std::make_unique<guest::FailingCable>();
    guest::FailingCable& failing = *failingCable;
    ASSERT_TRUE(failing.created()) << "no /dev/uhid";
    openWindow(platform.get());
    ASSERT_TRUE(cableSelected());

    window->USBCon->click();
    EXPECT_EQ(failing.refusedFeatures(), 1);
    ASSERT_TRUE(pumpUntil([&] { return failing.outputs().size() >= 2; }));
    EXPECT_EQ(failing.outputs()[0], (std::vector<unsigned char>{2, 0x5A, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(failing.outputs()[1], (std::vector<unsigned char>{1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_TRUE(cable()->ReaderRunning());

    window.reset();
    failingCable.reset();
    EXPECT_TRUE(guest::plugCable(true));
}

TEST_F(CableSystemTest, ClosingWhileConnectedEndsTheReaderAndLeavesTheCableUsable)
{
    connectCable();
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() >= 1; }));
    window->close();
    window.reset();
    EXPECT_EQ(readHandles(), 0);

    // The cable is still there for the next run of the program.
    openWindow(platform.get());
    window->RecordSI->setChecked(false);
    ASSERT_TRUE(cableSelected());
    connectCable();
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() >= 1; }));
}

} // namespace
