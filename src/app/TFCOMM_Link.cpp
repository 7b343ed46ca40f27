// Cable connection, frame builder and meter commands of the main window: the
// list of HID devices with the meter's cable selected, connecting and
// disconnecting, the link watchdog, and the reports written to the cable.
// The byte layouts and the frame logic live in src/protocol.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/UserDialogs.h"
#include "app/WindowShortcuts.h"
#include "protocol/CableFeatureReport.h"
#include "protocol/FrameBuilder.h"
#include "protocol/MeterCommands.h"
#include "recording/ReadingTable.h"
#include "usb/EControllerError.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceController.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

const char* const kCableProduct = "USB to Serial";
// Shown when a command is to be sent and no cable is selected.
const char* const kNoCableForCommand = "USB端未连接产品，请检查!";
const char* const kCableNotConnected =
    "USB interface cable is not securely connected, please check and re-try.";
const char* const kMeterNotReady =
    "USB interface cable is securely connected, please check if the meter is ready.";
const char* const kRecordDeleted = " Record deleted ";
// Consecutive empty cable reports after which the meter counts as silent.
constexpr qint32 kSilentReports = 3000;

// A machine without HID devices, for a window given no platform.
class NoHidDevices final : public hid::Platform {
public:
    bool available() const override { return false; }
    std::vector<hid::InterfaceEntry> listInterfaces() override { return {}; }
    std::unique_ptr<hid::Handle> open(const QString&, hid::Access) override { return nullptr; }
    void setDeviceChangeHandler(std::function<void()>) override {}
};

} // namespace

void TFCOMM::CreateLinkControls(QWidget* client)
{
    // Hidden helpers of the link, right of the client area.
    DevListBox = new QListWidget(client);
    DevListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    form::place(DevListBox, 740, 40, 120, 80);
    DevListBox->hide();
    ReadBtn = new QToolButton(client);
    ReadBtn->setText(QStringLiteral("Read"));
    ReadBtn->setCheckable(true);
    form::place(ReadBtn, 740, 130, 60, 22);
    ReadBtn->hide();
    SetFeature = new QPushButton(QStringLiteral("SetFeature"), client);
    form::place(SetFeature, 740, 160, 80, 25);
    SetFeature->hide();
    // Visible, but outside the client area: clicked in code only.
    SendData = new QPushButton(QStringLiteral("USBSendData"), client);
    form::place(SendData, 856, 512, 90, 25);

    // The "Connect" group is hidden; its items' shortcuts still work because
    // the window itself carries the actions too.
    ConnectMenu = menuBar()->addMenu(QStringLiteral("Connect"));
    ConnectMenu->menuAction()->setVisible(false);
    START1 = ConnectMenu->addAction(QStringLiteral("START"));
    START1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    STOP1 = ConnectMenu->addAction(QStringLiteral("STOP"));
    addAction(START1);
    addAction(STOP1);
    // Ctrl+A runs START wherever the focus is, also in an edit.
    WindowShortcuts::giveWindowPriority(this);

    connect(USBCon, &QToolButton::clicked, this, &TFCOMM::USBConClick);
    connect(START1, &QAction::triggered, this, &TFCOMM::USBConClick);
    connect(STOP1, &QAction::triggered, this, &TFCOMM::USBConClick);
    connect(ReadBtn, &QToolButton::clicked, this, &TFCOMM::ReadBtnClick);
    connect(SetFeature, &QPushButton::clicked, this, &TFCOMM::SetFeatureClick);
    connect(SendData, &QPushButton::clicked, this, &TFCOMM::SendDataClick);
    connect(ConTimer, &QTimer::timeout, this, &TFCOMM::ConTimerTimer);

    static NoHidDevices noHidDevices;
    hid::Platform& platform = hidPlatform_ ? *hidPlatform_ : noHidDevices;
    try {
        HidCtl = new THidDeviceController(platform, this);
    } catch (const EControllerError& error) {
        Dialogs().information(error.Message());
        return;
    }
    // Binding the change handler runs the first device-change cycle, which
    // fills DevListBox through the enumeration handler: bound before it.
    HidCtl->SetOnArrival(THidPlugEvent(this, &TFCOMM::HidCtlArrival));
    HidCtl->SetOnEnumerate(THidEnumerateEvent(this, &TFCOMM::HidCtlEnumerate));
    HidCtl->SetOnDeviceChange(THidNotifyEvent(this, &TFCOMM::HidCtlDeviceChange));
    HidCtl->SetOnDeviceDataError(THidDataErrorEvent(this, &TFCOMM::HidCtlDeviceDataError));
    HidCtl->SetOnRemoval(THidPlugEvent(this, &TFCOMM::HidCtlRemoval));
}

void TFCOMM::LinkDestroy()
{
    // Readers end and the devices go back to the controller before the
    // controller and the window's controls go away.
    ConTimer->stop();
    ActiveCable = nullptr;
    for (int row = 0; row < DevListBox->count(); ++row) {
        if (THidDevice* device = DevListBoxDevice(row)) {
            device->SetOnReport(nullptr);
            delete device;
        }
    }
    DevListBox->clear();
    delete HidCtl;
    HidCtl = nullptr;
}

THidDevice* TFCOMM::DevListBoxDevice(int row) const
{
    const QListWidgetItem* line = DevListBox->item(row);
    return line ? static_cast<THidDevice*>(line->data(Qt::UserRole).value<void*>()) : nullptr;
}

namespace {

// The device of the selected line, or none when no line is selected.
THidDevice* selectedDevice(const TFCOMM& window)
{
    const QList<QListWidgetItem*> selected = window.DevListBox->selectedItems();
    if (window.DevListBox->count() == 0 || selected.isEmpty())
        return nullptr;
    return window.DevListBoxDevice(window.DevListBox->row(selected.first()));
}

} // namespace

QString TFCOMM::DeviceCaption(THidDevice* device)
{
    QString caption = device->QueryProduct();
    if (caption.isEmpty()) {
        caption = QString::asprintf("Device VID=%.4X PID=%.4X", device->Attributes().VendorID,
                                    device->Attributes().ProductID);
    }
    const QString serial = device->QuerySerial();
    if (!serial.isEmpty())
        caption += QStringLiteral(" (Serial=%1)").arg(serial);
    return caption;
}

void TFCOMM::HidCtlArrival(THidDevice*) {}

void TFCOMM::HidCtlDeviceDataError(THidDevice*, quint32) {}

bool TFCOMM::HidCtlEnumerate(THidDevice* HidDev, qint32 Idx)
{
    if (DevListBox) {
        auto* line = new QListWidgetItem(DeviceCaption(HidDev), DevListBox);
        line->setData(Qt::UserRole, QVariant::fromValue<void*>(HidCtl->CheckOutAt(Idx)));
    }
    return true;
}

void TFCOMM::HidCtlDeviceChange(QObject*)
{
    ReadBtn->setChecked(false);
    ReadBtnClick();
    if (!DevListBox)
        return;
    // The listed devices are checked in and listed afresh; the cable the
    // watchdog would stop must not outlive its object.
    ActiveCable = nullptr;
    for (int row = 0; row < DevListBox->count(); ++row)
        delete DevListBoxDevice(row);
    DevListBox->clear();
    if (HidCtl)
        HidCtl->EnumerateDevices();
    DevListBox->clearSelection();
    for (int row = 0; row < DevListBox->count(); ++row) {
        if (DevListBox->item(row)->text() == QLatin1String(kCableProduct))
            DevListBox->setCurrentRow(row);
    }
}

void TFCOMM::HidCtlRemoval(THidDevice*)
{
    // Only the button's look changes; the reader and the meter are left.
    USBCon->setChecked(false);
}

void TFCOMM::ReadBtnClick()
{
    ActiveCable = selectedDevice(*this);
    if (!ActiveCable)
        return;
    if (!ActiveCable->CanReadWrite())
        ReadBtn->setChecked(false);
    else if (!ReadBtn->isChecked())
        ActiveCable->SetOnReport(nullptr);
}

void TFCOMM::SetFeatureClick()
{
    ActiveCable = selectedDevice(*this);
    if (!ActiveCable) {
        Dialogs().information(QString::fromUtf8(kCableNotConnected));
        USBCon->setChecked(false);
        return;
    }
    CableFeatureReport::SpeedBoxes boxes;
    boxes.b2400 = B2400->isChecked();
    boxes.b4800 = B4800->isChecked();
    boxes.b9600 = B9600->isChecked();
    const auto report = CableFeatureReport::build(boxes);
    ActiveCable->WriteFeature(report.data(), report.size()); // failures go unreported
}

namespace {

// Writes one output report to the selected cable; with none, tells the user
// and puts the connection button up. A failed write goes unreported: the
// watchdog notices the missing readings.
void sendToCable(TFCOMM& window, const char* noCableText,
                 const std::function<std::vector<quint8>(std::size_t)>& build)
{
    window.ActiveCable = selectedDevice(window);
    if (!window.ActiveCable) {
        window.Dialogs().information(QString::fromUtf8(noCableText));
        window.USBCon->setChecked(false);
        return;
    }
    // Zero-filled and exactly as long as the cable's output report.
    const std::vector<quint8> report =
        build(window.ActiveCable->QueryCaps().OutputReportByteLength);
    std::size_t written = 0;
    if (!report.empty())
        window.ActiveCable->WriteReport(report.data(), report.size(), written);
}

} // namespace

void TFCOMM::SendUSBData(quint8 code)
{
    sendToCable(*this, kNoCableForCommand, [code](std::size_t reportLength) {
        return MeterCommands::commandReport(code, reportLength);
    });
}

void TFCOMM::SendDataClick()
{
    sendToCable(*this, kCableNotConnected, &MeterCommands::preambleReport);
}

void TFCOMM::HidDataArrived(THidDevice*, quint8, const quint8* Data, quint16 Size)
{
    const FrameBuilder::Actions actions{[this] { LcdDisplay81(); },
                                        [this] { SendUSBData(MeterCommands::Stop); }};
    FrameBuilder(State).takeReport(Data, Size, RecallData->isChecked(), actions);
}

void TFCOMM::USBConClick()
{
    // The button has toggled itself before this runs; START runs it without
    // toggling, so it repeats the action that fits the button's state.
    ReadBtnClick();
    SetFeatureClick();
    State.EmptyReportCount = 0;
    ActiveCable = selectedDevice(*this);
    if (!ActiveCable || !ActiveCable->CanReadWrite())
        return;

    if (USBCon->isChecked()) {
        USBCon->setText(QStringLiteral("USB Disconnect"));
        State.ReportHex.clear();
        ReadBtnClick();
        SendDataClick();
        if (ActiveCable)
            ActiveCable->SetOnReport(THidDataEvent(this, &TFCOMM::HidDataArrived));
        RecallData->setEnabled(false);
        if (RecallData->isChecked()) {
            Dialogs().information(QString::fromUtf8(kRecordDeleted));
            if (cds1 && cds1->rowCount() > 0)
                cds1->clear();
            State.NextRecordNo = 1;
            State.RecordCount = 0;
            BtNew->click();
            SendUSBData(MeterCommands::SendStored);
        } else {
            SendUSBData(MeterCommands::StartLive);
        }
    } else {
        RecallData->setEnabled(true);
        SendUSBData(MeterCommands::Stop); // while the reader still runs
        if (ActiveCable)
            ActiveCable->SetOnReport(nullptr);
        USBCon->setText(QStringLiteral("USB Connection"));
    }
}

void TFCOMM::ConTimerTimer()
{
    // The rest runs on every third tick after the decoder last reset the
    // count, so the connected picture shows briefly once per reading.
    if (State.LinkWatchdog != 2) {
        ++State.LinkWatchdog;
        return;
    }
    if (State.EmptyReportCount >= kSilentReports) {
        State.EmptyReportCount = 0;
        USBCon->setChecked(false);
        if (ActiveCable)
            ActiveCable->SetOnReport(nullptr);
        Dialogs().information(QString::fromUtf8(kMeterNotReady));
    }
    CONok->hide();
    CONokN->show();
    State.LinkWatchdog = 0;
}
