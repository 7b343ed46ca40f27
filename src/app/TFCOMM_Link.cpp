// Cable connection, frame builder and meter commands of the main window.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

void TFCOMM::CreateLinkControls(QWidget* client)
{
    // Hidden helpers of the link, right of the client area.
    DevListBox = new QListWidget(client);
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

    ConnectMenu = menuBar()->addMenu(QStringLiteral("Connect"));
    ConnectMenu->menuAction()->setVisible(false);
}

void TFCOMM::LinkDestroy() {}
