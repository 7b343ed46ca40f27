// The window's link to the meter, end to end on the simulated cable: the
// device list, connecting and disconnecting, downloads, the watchdog, and
// devices coming and going while connected.
#include "EventLoopWait.h"
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "chart/TChartControl.h"
#include "lcd/LcdLabel.h"
#include "recording/ReadingTable.h"
#include "sim/ReplayScript.h"
#include "sim/SimHidPlatform.h"
#include "usb/THidDevice.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

const QString kNotConnected =
    QStringLiteral("USB interface cable is not securely connected, please check and re-try.");
const QString kNoCableForCommand = QStringLiteral("USB端未连接产品，请检查!");
const QString kMeterNotReady = QStringLiteral(
    "USB interface cable is securely connected, please check if the meter is ready.");

class LinkTest : public WindowTest {
protected:
    LinkTest() : WindowTest(Deferred{}) {}
    // The built-in meter, or one replaying these messages.
    void start(std::unique_ptr<MeterMessages> meter = MeterMessages::builtIn())
    {
        platform = std::make_unique<SimHidPlatform>(std::move(meter), SimClock::jumping());
        openWindow(platform.get());
    }
    void replay(std::vector<std::string> messages)
    {
        start(std::make_unique<ReplayScript>(std::move(messages), 500 * 1000));
    }
    ~LinkTest() override { window.reset(); }

    // What the meter was sent, as text: "5A 00 01 ...".
    QString meterBytes() const
    {
        QStringList bytes;
        for (quint8 byte : platform->meterBytesReceived())
            bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        return bytes.join(QLatin1Char(' '));
    }
    THidDevice* cable() const { return window->DevListBoxDevice(window->DevListBox->currentRow()); }
    bool reading() const { return cable() && bool(cable()->OnReport()); }
    // Frames the window has built since the last call.
    bool frameArrives(const QString& end)
    {
        window->State.CurrentFrame.clear();
        return pumpUntil([&] { return window->State.CurrentFrame.endsWith(end); });
    }

    std::unique_ptr<SimHidPlatform> platform;
};

TEST_F(LinkTest, CableIsListedAndSelectedAtStart)
{
    start();
    ASSERT_EQ(window->DevListBox->count(), 1);
    EXPECT_EQ(window->DevListBox->item(0)->text(), QStringLiteral("USB to Serial"));
    EXPECT_TRUE(window->DevListBox->item(0)->isSelected());
    EXPECT_NE(cable(), nullptr);
    EXPECT_TRUE(cable()->CheckedOut());
    EXPECT_FALSE(reading());
}

TEST_F(LinkTest, ConnectAndDisconnectSendTheirCommandsAroundLiveReadings)
{
    start();
    window->USBCon->click();
    EXPECT_TRUE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_FALSE(window->RecallData->isEnabled());
    EXPECT_TRUE(reading());
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    EXPECT_EQ(platform->cableBaudRate(), 2400u);
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01"));
    // The reading is on the LCD, in the T1 field and inside the chart's range.
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T1"));
    EXPECT_EQ(window->LCDTYPE->text(), QStringLiteral("K"));
    EXPECT_EQ(window->State.UnitText, QStringLiteral("#-K"));
    EXPECT_EQ(window->T1VALUE->text(), window->State.ValueText);
    EXPECT_GT(window->State.CurrentValue, 15.0);
    EXPECT_LT(window->State.CurrentValue, 35.0);
    EXPECT_LT(window->ChartControl->FAxisMax(), 100.0);
    EXPECT_GT(window->ChartControl->FAxisMin(), -100.0);

    window->USBCon->click();
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Connection"));
    EXPECT_TRUE(window->RecallData->isEnabled());
    EXPECT_FALSE(reading());
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01 02"));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(LinkTest, StartShortcutWhileTheButtonIsUpRunsTheDisconnectPath)
{
    start();
    EXPECT_EQ(window->START1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_TRUE(window->actions().contains(window->START1)); // reachable with the menu hidden
    window->USBCon->click();
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    window->USBCon->setChecked(false); // as the cable's removal leaves it

    window->START1->trigger();
    EXPECT_FALSE(reading());
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01 02"));
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Connection"));

    window->START1->trigger(); // still up: disconnects again, nothing starts
    EXPECT_FALSE(reading());
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01 02 02"));
}

TEST_F(LinkTest, DownloadEmptiesTheRecordingAndStopsAfterTheLastStoredReading)
{
    start();
    window->RecordSI->setChecked(false); // every reading becomes a record
    window->State.ValueText = QStringLiteral(" 099.9");
    window->INDataToTable();
    ASSERT_EQ(window->cds1->rowCount(), 1);
    window->RecallData->setChecked(true);
    window->USBCon->click();
    ASSERT_FALSE(dialogs.texts().isEmpty());
    EXPECT_EQ(dialogs.texts().first(), QStringLiteral(" Record deleted "));
    ASSERT_TRUE(pumpUntil([&] { return meterBytes() == QStringLiteral("5A 00 07 02"); }));
    ASSERT_EQ(window->cds1->rowCount(), 100);
    EXPECT_EQ(window->cds1->rows().number(0), 1);
    EXPECT_EQ(window->cds1->rows().number(99), 100);
    EXPECT_EQ(window->State.NextRecordNo, 101);
    EXPECT_EQ(window->State.CurrentFrame.mid(6, 2), QStringLiteral("99"));
    EXPECT_TRUE(window->State.CurrentFrame.endsWith(QStringLiteral("7DA")));
    EXPECT_TRUE(window->USBCon->isChecked()); // the user disconnects
    EXPECT_TRUE(reading());
}

TEST_F(LinkTest, SilentMeterIsReportedOnceAndItsReaderStopped)
{
    replay({});
    window->USBCon->click();
    ASSERT_TRUE(pumpUntil([&] { return dialogs.texts().contains(kMeterNotReady); }));
    pumpFor(100);
    EXPECT_EQ(dialogs.texts(), QStringList{kMeterNotReady});
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_FALSE(reading());
    EXPECT_EQ(window->State.EmptyReportCount, 0);
    EXPECT_FALSE(window->RecallData->isEnabled());
}

TEST_F(LinkTest, WithoutACableTheUserIsToldAndTheButtonGoesUp)
{
    start();
    platform->unplug(platform->cableInstance());
    EXPECT_EQ(window->DevListBox->count(), 0);

    window->USBCon->click();
    EXPECT_EQ(dialogs.texts(), QStringList{kNotConnected});
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Connection"));

    dialogs.clear();
    window->USBCon->setChecked(true);
    window->SendUSBData(2);
    EXPECT_EQ(dialogs.texts(), QStringList{kNoCableForCommand});
    EXPECT_FALSE(window->USBCon->isChecked());
    dialogs.clear();
    window->SendDataClick();
    EXPECT_EQ(dialogs.texts(), QStringList{kNotConnected});
    EXPECT_EQ(window->ActiveCable, nullptr);
}

TEST_F(LinkTest, AnotherDeviceComingAndGoingLeavesTheReadingsRunning)
{
    start();
    window->USBCon->click();
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    THidDevice* linked = window->ActiveCable;

    const quint32 keyboard = platform->plugDevice(QStringLiteral("Keyboard"), 0x0001, 0x0002);
    EXPECT_EQ(window->DevListBox->count(), 2);
    EXPECT_EQ(window->DevListBox->currentItem()->text(), QStringLiteral("USB to Serial"));
    EXPECT_TRUE(reading());
    EXPECT_EQ(cable(), linked); // the same object, still selected
    EXPECT_EQ(window->ActiveCable, linked);
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));

    platform->unplug(keyboard);
    EXPECT_EQ(window->DevListBox->count(), 1);
    EXPECT_TRUE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    EXPECT_TRUE(dialogs.texts().isEmpty());

    window->USBCon->click(); // the next press disconnects
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01 02"));
}

TEST_F(LinkTest, CableRemovedWhileConnectedLeavesNothingForTheWatchdogToTouch)
{
    start();
    window->USBCon->click();
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    platform->unplug(platform->cableInstance());
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->ActiveCable, nullptr);

    window->State.EmptyReportCount = 3000;
    window->State.LinkWatchdog = 2;
    window->ConTimerTimer(); // the timeout branch, with the cable gone
    EXPECT_EQ(dialogs.texts(), QStringList{kMeterNotReady});

    platform->plugCable(); // back: listed and selected, the next press connects
    dialogs.clear();
    window->USBCon->click();
    EXPECT_TRUE(window->USBCon->isChecked());
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(LinkTest, CableComingBackWhileConnectedResumesLiveReadings)
{
    start();
    window->RecordSI->setChecked(false); // every reading becomes a record
    window->USBCon->click();
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() >= 1; }));

    platform->unplug(platform->cableInstance());
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_FALSE(reading());
    const int rows = window->cds1->rowCount();

    platform->plugCable();
    EXPECT_TRUE(window->USBCon->isChecked());
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Disconnect"));
    EXPECT_FALSE(window->RecallData->isEnabled());
    EXPECT_TRUE(reading());
    ASSERT_TRUE(pumpUntil([&] { return window->cds1->rowCount() > rows; }));
    EXPECT_EQ(window->cds1->rows().number(rows), rows + 1); // numbering goes on
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01 5A 00 01"));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(LinkTest, CableComingBackAfterQuitIsLeftAlone)
{
    start();
    window->USBCon->click();
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    window->BitBtn1->click();
    platform->unplug(platform->cableInstance());
    platform->plugCable();
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_FALSE(reading());
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01"));
}

TEST_F(LinkTest, GarbageMessageBetweenGoodOnesKeepsTheLinkUp)
{
    replay({"20235100000000001", "A0235100000000001", "20240100000000001"});
    window->RecordSI->setChecked(false);
    window->USBCon->click();
    ASSERT_TRUE(pumpUntil(
        [&] { return window->State.CurrentFrame == QStringLiteral("20240100000000001DA"); }));
    EXPECT_TRUE(window->USBCon->isChecked());
    EXPECT_TRUE(reading());
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 024.0"));
    ASSERT_EQ(window->cds1->rowCount(), 2);
    EXPECT_EQ(window->cds1->rows().text(0, ReadingField::AValue), QStringLiteral(" 023.5"));
    EXPECT_EQ(window->cds1->rows().text(1, ReadingField::AValue), QStringLiteral(" 024.0"));
}

TEST_F(LinkTest, WatchdogShowsTheNotConnectedPictureEveryThirdTick)
{
    start();
    window->ConTimer->stop();
    window->State.LinkWatchdog = 0;
    window->CONok->show();
    window->CONokN->hide();
    window->ConTimerTimer();
    window->ConTimerTimer();
    EXPECT_FALSE(window->CONok->isHidden());
    EXPECT_EQ(window->State.LinkWatchdog, 2);
    window->ConTimerTimer();
    EXPECT_TRUE(window->CONok->isHidden());
    EXPECT_FALSE(window->CONokN->isHidden());
    EXPECT_EQ(window->State.LinkWatchdog, 0);

    window->State.EmptyReportCount = 2999;
    window->State.LinkWatchdog = 2;
    window->ConTimerTimer();
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(window->State.EmptyReportCount, 2999);
}

TEST_F(LinkTest, ClosingWhileConnectedEndsTheReaderFirst)
{
    start();
    window->USBCon->click();
    ASSERT_TRUE(frameArrives(QStringLiteral("1DA")));
    window->BitBtn1Click();
    window.reset(); // readers end before the devices and the controller go
    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 01"));
}

TEST(LinkDeviceListTest, CaptionsAndTheCableChosenFromSeveralDevices)
{
    SimHidPlatform platform(MeterMessages::builtIn(), SimClock::jumping());
    platform.plugDevice(QString(), 0x0001, 0xABCD);
    platform.plugDevice(QStringLiteral("USB to Serial"), 0x0002, 0x0003, QStringLiteral("42"));
    platform.plugCable();
    platform.plugDevice(QStringLiteral("Keyboard"), 0x0004, 0x0005);
    ScriptedDialogs dialogs;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    services.hidPlatform = &platform;
    TFCOMM window(services);

    QStringList lines;
    for (int row = 0; row < window.DevListBox->count(); ++row)
        lines << window.DevListBox->item(row)->text();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("USB to Serial"),
                                  QStringLiteral("Device VID=0001 PID=ABCD"),
                                  QStringLiteral("USB to Serial (Serial=42)"),
                                  QStringLiteral("USB to Serial"), QStringLiteral("Keyboard")}));
    // The last line that is exactly the cable's name is the one selected.
    ASSERT_EQ(window.DevListBox->selectedItems().size(), 1);
    EXPECT_EQ(window.DevListBox->row(window.DevListBox->selectedItems().first()), 3);
}

} // namespace
