// Cable connection, frame builder and meter commands of the main window: the
// controls of the link, which press the session's link and show its state.
// The session lists the devices, chooses the cable, connects and watches.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/UserDialogs.h"
#include "app/WindowShortcuts.h"
#include "session/LoggerSession.h"
#include "usb/THidDevice.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

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
    // After "Quit" a cable coming back is left alone while the window goes.
    connect(BitBtn1, &QPushButton::clicked, session_.get(), &LoggerSession::forgoConnection);
    for (QCheckBox* box : {RecallData, B2400, B4800, B9600})
        connect(box, &QCheckBox::toggled, this, &TFCOMM::PushLinkSettings);
    PushLinkSettings();

    // Lists the devices at once; DevListBox and ReadBtn exist by then.
    session_->openDevices(hidPlatform_);
}

void TFCOMM::PushLinkSettings()
{
    session_->setRecall(RecallData->isChecked());
    CableFeatureReport::SpeedBoxes boxes;
    boxes.b2400 = B2400->isChecked();
    boxes.b4800 = B4800->isChecked();
    boxes.b9600 = B9600->isChecked();
    session_->setSpeedBoxes(boxes);
}

void TFCOMM::LinkDestroy()
{
    // Readers end and the devices go back to the controller before the
    // controller and the window's controls go away.
    ConTimer->stop();
    session_->closeDevices();
    DevListBox->clear();
}

THidDevice* TFCOMM::DevListBoxDevice(int row) const
{
    return session_->cables().device(row);
}

void TFCOMM::HidCtlDeviceChange(QObject*)
{
    ReadBtn->setChecked(false);
    DevListBox->clear();
    const CableList& cables = session_->cables();
    for (int row = 0; row < cables.count(); ++row)
        DevListBox->addItem(cables.caption(row));
    DevListBox->clearSelection();
    if (cables.chosen() >= 0)
        DevListBox->setCurrentRow(cables.chosen());
}

void TFCOMM::devicesListed()
{
    HidCtlDeviceChange(nullptr);
}

void TFCOMM::ReadBtnClick()
{
    // ReadBtn is never down in use: in effect this stops the reading.
    if (!ReadBtn->isChecked()) {
        session_->stopReading();
    } else if (THidDevice* cable = session_->selectCable(); cable && !cable->CanReadWrite()) {
        ReadBtn->setChecked(false);
    }
}

void TFCOMM::SetFeatureClick()
{
    session_->sendSpeed();
}

void TFCOMM::SendUSBData(quint8 code)
{
    session_->sendCommand(code);
}

void TFCOMM::SendDataClick()
{
    session_->sendPreamble();
}

void TFCOMM::HidDataArrived(THidDevice* HidDev, quint8 ReportID, const quint8* Data, quint16 Size)
{
    session_->takeReport(HidDev, ReportID, Data, Size);
}

void TFCOMM::USBConClick()
{
    // The button has toggled itself before this runs; START runs it without
    // toggling, so it repeats the action that fits the button's state.
    session_->pressConnection(USBCon->isChecked());
}

void TFCOMM::linkStateChanged(LinkState state)
{
    // The button is set too: a cable that comes back is connected again
    // without a press.
    const bool connected = state == LinkState::Connected;
    USBCon->setChecked(connected);
    USBCon->setText(connected ? QStringLiteral("USB Disconnect") : QStringLiteral("USB Connection"));
    RecallData->setEnabled(!connected);
}

void TFCOMM::connectionReleased()
{
    // Only the button's look changes; its caption stays.
    USBCon->setChecked(false);
}

void TFCOMM::ConTimerTimer()
{
    session_->watchdogTick();
}

void TFCOMM::readingsArriving(bool arriving)
{
    CONok->setVisible(arriving);
    CONokN->setVisible(!arriving);
}

void TFCOMM::information(const QString& text)
{
    Dialogs().information(text);
}
