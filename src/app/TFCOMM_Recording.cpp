// Reading table, grid, record limits and sampling schedule of the main window.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/GapCaptionCheckBox.h"
#include "app/KeyPressFilter.h"
#include "recording/IntervalText.h"
#include "recording/ReadingGrid.h"
#include "recording/ReadingTable.h"
#include "session/LoggerSession.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

void TFCOMM::CreateRecordingControls(QWidget* client)
{
    RepeatSet = new QCheckBox(QStringLiteral("Repeat"), client);
    RepeatSet->setChecked(true);
    RepeatSet->setToolTip(QStringLiteral("Repeage Record"));
    form::placeAuto(RepeatSet, 3, 317);
    // The caption's blanks make room for the interval edit; its "'S" (for
    // seconds) is drawn right of the edit whatever the font's blank width.
    auto* samplingInterval =
        new GapCaptionCheckBox(QStringLiteral("Sampling Interval           'S"), client);
    RecordSI = samplingInterval;
    RecordSI->setChecked(true);
    RecordSITime = new QLineEdit(QStringLiteral("1"), client);
    form::place(RecordSITime, 183, 318, 27, 19);
    samplingInterval->setTailLeft(RecordSITime->geometry().right() + 3 - 62);
    samplingInterval->move(62, 317);
    connect(RecordSITime, &QLineEdit::textChanged, this, &TFCOMM::RecordSITimeChange);
    connect(RecordSI, &QCheckBox::toggled, this, &TFCOMM::PushScheduleSettings);
    connect(RepeatSet, &QCheckBox::toggled, this, &TFCOMM::PushScheduleSettings);
    PushScheduleSettings();
    KeyPressFilter::install(RecordSITime, [this](QLineEdit* sender, QKeyEvent* key) {
        return RecordSITimeKeyPress(sender, key);
    });
    connect(Trecord, &QTimer::timeout, this, &TFCOMM::TrecordTimer);
    connect(RecordNew, &QToolButton::clicked, this, &TFCOMM::RecordNewClick);

    DBGrid1 = new ReadingGrid(client);
    form::place(DBGrid1, 3, 342, 326, 147);

    RecordMenu = menuBar()->addMenu(QStringLiteral("Record"));
    New1 = RecordMenu->addAction(QStringLiteral("New"));
    connect(New1, &QAction::triggered, this, &TFCOMM::RecordNewClick);
    Save1 = RecordMenu->addAction(QStringLiteral("Save"));
    RecordMenu->addSeparator();

    // The six record limits; exactly one is checked.
    auto* limits = new QActionGroup(this);
    const auto limitItem = [this, limits](const QString& caption, void (TFCOMM::*handler)()) {
        QAction* item = RecordMenu->addAction(caption);
        item->setCheckable(true);
        limits->addAction(item);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    N10001 = limitItem(QStringLiteral("1000"), &TFCOMM::N10001Click);
    N50001 = limitItem(QStringLiteral("5000"), &TFCOMM::N50001Click);
    N100001 = limitItem(QStringLiteral("10000"), &TFCOMM::N100001Click);
    N500001 = limitItem(QStringLiteral("50000"), &TFCOMM::N500001Click);
    N1000001 = limitItem(QStringLiteral("100000"), &TFCOMM::N1000001Click);
    limitess = limitItem(QStringLiteral("limitless"), &TFCOMM::limitessClick);
    N100001->setChecked(true);
}

void TFCOMM::PushScheduleSettings()
{
    ScheduleSettings settings;
    settings.intervalOn = RecordSI->isChecked();
    settings.interval = interval::value(RecordSITime->text());
    settings.recordRepeats = RepeatSet->isChecked();
    session_->setSchedule(settings);
}

void TFCOMM::TableCreate()
{
    // The session's table, stamped in the system's date and time separators.
    cds1 = &session_->table();
    DBGrid1->setTable(cds1);
}

void TFCOMM::TableDestroy()
{
    if (DBGrid1)
        DBGrid1->setTable(nullptr);
    cds1 = nullptr;
}

void TFCOMM::INDataToTable()
{
    session_->recordReading();
}

void TFCOMM::chartValueAdded(double value)
{
    ChartAddReading(value);
}

void TFCOMM::TrecordTimer()
{
    session_->scheduleTick();
}

void TFCOMM::RecordSITimeChange()
{
    // Typed keys are filtered; a pasted text is cut down to its digits
    // here, which changes the text again and comes back to this handler.
    const QString text = RecordSITime->text();
    const QString digits = interval::digitsOnly(text);
    if (digits != text) {
        RecordSITime->setText(digits);
        return;
    }
    session_->reloadInterval(interval::value(digits));
}

bool TFCOMM::RecordSITimeKeyPress(QLineEdit*, QKeyEvent* key)
{
    const QString typed = key->text();
    return !typed.isEmpty() && !interval::acceptsKey(typed.at(0));
}

void TFCOMM::RecordNewClick()
{
    session_->startNewRecording();
}

void TFCOMM::tableEmptied()
{
    ChartClear();
}

void TFCOMM::N10001Click()
{
    ChooseRecordLimit(N10001, 1000);
}

void TFCOMM::N50001Click()
{
    ChooseRecordLimit(N50001, 5000);
}

void TFCOMM::N100001Click()
{
    ChooseRecordLimit(N100001, 10000);
}

void TFCOMM::N500001Click()
{
    ChooseRecordLimit(N500001, 50000);
}

void TFCOMM::N1000001Click()
{
    ChooseRecordLimit(N1000001, 100000);
}

void TFCOMM::limitessClick()
{
    ChooseRecordLimit(limitess, 10000000);
}

void TFCOMM::ChooseRecordLimit(QAction* item, qint32 limit)
{
    session_->setRecordLimit(limit);
    item->setChecked(true);
}
