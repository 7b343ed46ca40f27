// Recording from the window: readings become rows in the grid, the Record
// menu, "New" and the interval edit.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingGrid.h"
#include "recording/ReadingGridModel.h"
#include "recording/ReadingTable.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>

namespace {

class RecordingTest : public WindowTest {
protected:
    void reading(const QString& value, const QString& channel = QStringLiteral("T1"))
    {
        window->State.ChannelText = channel;
        window->State.ValueText = value;
        window->State.UnitText = QStringLiteral("#-K");
        window->State.JudgeText = QStringLiteral("Pass");
        window->INDataToTable();
    }
    static void type(QLineEdit* edit, const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(edit, &key);
        }
    }
    static void backspace(QLineEdit* edit)
    {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
        QCoreApplication::sendEvent(edit, &key);
    }
    QString shown(int viewRow, int column) const
    {
        return window->DBGrid1->model()->index(viewRow, column).data().toString();
    }
};

TEST_F(RecordingTest, ReadingsAppearInTheGridAsNumberedRows)
{
    window->RecordSI->setChecked(false);
    reading(QStringLiteral(" 023.5"));
    reading(QStringLiteral(" 024.0"), QStringLiteral("T2"));
    ASSERT_EQ(window->cds1->rowCount(), 2);
    EXPECT_EQ(shown(1, 0), QStringLiteral("2"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{4}\\D\\d\\d\\D\\d\\d_\\d\\d\\D\\d\\d\\D\\d\\d$"))
            .match(shown(1, 1))
            .hasMatch())
        << shown(1, 1).toStdString();
    EXPECT_EQ(shown(1, 2), QStringLiteral("T2"));
    EXPECT_EQ(shown(1, 3), QStringLiteral(" 024.0"));
    EXPECT_EQ(shown(1, 4), QStringLiteral("#-K"));
    EXPECT_EQ(window->DBGrid1->selectedTableRow(), 1);
    EXPECT_EQ(window->State.RecordCount, 2);
    EXPECT_EQ(window->State.NextRecordNo, 3);
}

TEST_F(RecordingTest, NewEmptiesTheTableAndSaysSoEvenWhenEmpty)
{
    window->RecordSI->setChecked(false);
    reading(QStringLiteral("1"));
    reading(QStringLiteral("2"));
    window->RecordNew->click();
    EXPECT_EQ(window->cds1->rowCount(), 0);
    EXPECT_TRUE(window->cds1->changes().isEmpty());
    EXPECT_EQ(window->State.NextRecordNo, 1);
    EXPECT_EQ(window->State.RecordCount, 0);
    EXPECT_EQ(window->DBGrid1->model()->rowCount(), 0);
    window->New1->trigger(); // again, on the empty table
    EXPECT_EQ(dialogs.texts(), (QStringList{QStringLiteral(" Record deleted "),
                                            QStringLiteral(" Record deleted ")}));
    reading(QStringLiteral("3"));
    EXPECT_EQ(shown(0, 0), QStringLiteral("1"));
}

TEST_F(RecordingTest, RecordMenuHoldsNewSaveAndTheSixLimits)
{
    QStringList captions;
    for (QAction* item : window->RecordMenu->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(captions, (QStringList{"New", "Save", "-", "1000", "5000", "10000", "50000", "100000",
                                     "limitless"}));
    EXPECT_TRUE(window->N100001->isChecked());

    const struct {
        QAction* item;
        qint32 limit;
    } limits[] = {{window->N10001, 1000},     {window->N50001, 5000},
                  {window->N100001, 10000},   {window->N500001, 50000},
                  {window->N1000001, 100000}, {window->limitess, 10000000}};
    for (const auto& l : limits) {
        l.item->trigger();
        EXPECT_EQ(window->State.RecordLimit, l.limit);
        for (const auto& other : limits)
            EXPECT_EQ(other.item->isChecked(), other.item == l.item);
    }
}

TEST_F(RecordingTest, IntervalEditTakesDigitsOnlyAndRestartsTheCountdown)
{
    QLineEdit* edit = window->RecordSITime;
    edit->clear();
    type(edit, QStringLiteral("1a-2.5"));
    EXPECT_EQ(edit->text(), QStringLiteral("125"));
    EXPECT_EQ(window->State.SampleCountdown, 125);
    backspace(edit);
    EXPECT_EQ(window->State.SampleCountdown, 12);

    edit->setText(QStringLiteral(" 3 s")); // pasted
    EXPECT_EQ(edit->text(), QStringLiteral("3"));
    EXPECT_EQ(window->State.SampleCountdown, 3);
    edit->setText(QStringLiteral("99999999999"));
    EXPECT_EQ(window->State.SampleCountdown, 2147483647);
    edit->clear();
    EXPECT_EQ(window->State.SampleCountdown, 0);
}

TEST_F(RecordingTest, TimerAndBoxesSteerTheSchedule)
{
    window->RecordSITime->setText(QStringLiteral("2"));
    window->TrecordTimer();
    EXPECT_EQ(window->State.SampleCountdown, 1);
    window->RecordSI->setChecked(false); // countdown frozen, every reading due
    window->TrecordTimer();
    EXPECT_EQ(window->State.SampleCountdown, 1);
    window->RepeatSet->setChecked(false);
    reading(QStringLiteral("5"));
    reading(QStringLiteral("5"));
    reading(QStringLiteral("6"));
    ASSERT_EQ(window->cds1->rowCount(), 2);
    EXPECT_EQ(window->cds1->rows().number(1), 3);
}

} // namespace
