// Reading table, grid, record limits and sampling schedule of the main window.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>

void TFCOMM::CreateRecordingControls(QWidget* client)
{
    RepeatSet = new QCheckBox(QStringLiteral("Repeat"), client);
    RepeatSet->setChecked(true);
    RepeatSet->setToolTip(QStringLiteral("Repeage Record"));
    form::placeAuto(RepeatSet, 3, 317);
    RecordSI = new QCheckBox(QStringLiteral("Sampling Interval           'S"), client);
    RecordSI->setChecked(true);
    form::placeAuto(RecordSI, 62, 317);
    RecordSITime = new QLineEdit(QStringLiteral("1"), client);
    form::place(RecordSITime, 183, 318, 27, 19);

    DBGrid1 = new QTableView(client);
    DBGrid1->verticalHeader()->hide();
    form::place(DBGrid1, 3, 342, 326, 147);

    RecordMenu = menuBar()->addMenu(QStringLiteral("Record"));
}

void TFCOMM::TableCreate() {}
void TFCOMM::TableDestroy() {}
void TFCOMM::INDataToTable() {}
void TFCOMM::TrecordTimer() {}
void TFCOMM::RecordSITimeChange() {}

bool TFCOMM::RecordSITimeKeyPress(QLineEdit*, QKeyEvent*)
{
    return false;
}

void TFCOMM::RecordNewClick() {}
