// The LCD readout, the value edits and the limit edits of the window, driven
// by frames put into the shared state and by typed keys.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "chart/TChartControl.h"
#include "lcd/LcdLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

// A live frame: flag, display codes, unit, type, channel; clock A "12", B "34".
QString frame(char flag, const char* display, char unit, char type, char channel)
{
    return QChar::fromLatin1(flag) + QString::fromLatin1(display) + QChar::fromLatin1(unit) +
           QStringLiteral("00") + QChar::fromLatin1(type) + QStringLiteral("1234") +
           QChar::fromLatin1(channel) + QStringLiteral("001DA");
}

// Types one key into a widget the way the keyboard does: press, then release.
void typeKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        typeKey(widget, c.toUpper().unicode(), QString(c));
}

QColor textColour(QLineEdit* edit)
{
    edit->ensurePolished();
    return edit->palette().color(QPalette::Text);
}

class ReadoutTest : public WindowTest {
protected:
    void show(const QString& f)
    {
        window->State.CurrentFrame = f;
        window->LcdDisplay81();
    }

    QString digits() const
    {
        return window->LcdD4->text() + window->LcdD3->text() + window->LcdD2->text() +
               window->LcdD1->text();
    }
};

TEST_F(ReadoutTest, LiveReadingFillsReadoutAndState)
{
    window->State.LinkWatchdog = 57;
    show(QStringLiteral("20235100000000001DA"));

    EXPECT_EQ(digits(), QStringLiteral("0235"));
    EXPECT_EQ(window->LcdFH->text(), QStringLiteral(" "));
    EXPECT_TRUE(window->LcdP0->isHidden());
    EXPECT_TRUE(window->LcdP1->isHidden());
    EXPECT_FALSE(window->LcdP2->isHidden());
    EXPECT_EQ(window->LCDC->text(), QStringLiteral("#"));
    EXPECT_EQ(window->LCDTYPE->text(), QStringLiteral("K"));
    EXPECT_EQ(window->LcdTimeT->text(), QStringLiteral("M:S"));
    EXPECT_EQ(window->LCDTime->text(), QStringLiteral("00:00"));
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T1"));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 023.5"));
    EXPECT_EQ(window->T2VALUE->text(), QString());
    EXPECT_EQ(window->T1_T2->text(), QString());
    EXPECT_FALSE(window->CONok->isHidden());
    EXPECT_TRUE(window->CONokN->isHidden());

    EXPECT_EQ(window->State.LinkWatchdog, 0);
    EXPECT_EQ(window->State.ValueText, QStringLiteral(" 023.5"));
    EXPECT_EQ(window->State.UnitText, QStringLiteral("#-K"));
    EXPECT_EQ(window->State.ChannelText, QStringLiteral("T1"));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Fail")); // limits 0 and 0
    EXPECT_EQ(window->State.CurrentValue, 23.5);
    EXPECT_EQ(textColour(window->T1VALUE), kRed);
}

TEST_F(ReadoutTest, UnchangedUnitAndTypeKeepTheLettersOnDisplay)
{
    show(frame('0', "0235", '2', '4', '0')); // Fahrenheit, type N
    show(frame('0', "0236", '4', '8', '0')); // unit and type "unchanged"
    EXPECT_EQ(window->LCDC->text(), QStringLiteral("?"));
    EXPECT_EQ(window->LCDTYPE->text(), QStringLiteral("N"));
    EXPECT_EQ(window->State.UnitText, QStringLiteral("?-N"));
    show(frame('0', "0236", '7', '6', '0'));
    EXPECT_EQ(window->State.UnitText, QStringLiteral("K-S"));
}

TEST_F(ReadoutTest, HoursMinutesClockAndSign)
{
    show(frame('5', "0235", '1', '0', '0'));
    EXPECT_EQ(window->LcdTimeT->text(), QStringLiteral("H:M"));
    EXPECT_EQ(window->LCDTime->text(), QStringLiteral("12:34"));
    EXPECT_EQ(window->LcdFH->text(), QStringLiteral("-"));
    EXPECT_TRUE(window->LcdP2->isHidden());
    EXPECT_EQ(window->State.ValueText, QStringLiteral("-0235"));
    EXPECT_EQ(window->State.CurrentValue, -235.0);
}

TEST_F(ReadoutTest, ChannelsMoveTheValueBetweenEdits)
{
    window->T2LO->setText(QStringLiteral("20"));
    window->T2HI->setText(QStringLiteral("30"));
    show(frame('2', "0235", '1', '0', '1'));
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T2"));
    EXPECT_EQ(window->State.ChannelText, QStringLiteral("T2"));
    EXPECT_EQ(window->T2VALUE->text(), QStringLiteral(" 023.5"));
    EXPECT_EQ(window->T1VALUE->text(), QString());
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Pass"));
    EXPECT_EQ(textColour(window->T2VALUE), kGreen);

    // The difference channel is not judged: JudgeText and colours stay.
    show(frame('2', "0050", '1', '0', '3'));
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T1-T2"));
    EXPECT_EQ(window->State.ChannelText, QStringLiteral("T1-T2"));
    EXPECT_EQ(window->T1_T2->text(), QStringLiteral(" 005.0"));
    EXPECT_EQ(window->T2VALUE->text(), QString());
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Pass"));
    EXPECT_EQ(textColour(window->T2VALUE), kGreen);
    EXPECT_EQ(window->State.CurrentValue, 5.0);
}

TEST_F(ReadoutTest, ChannelDigitsFourToNineLeaveChannelAndJudgement)
{
    show(frame('2', "0235", '1', '0', '0'));
    show(frame('2', "0240", '1', '0', '7'));
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T1"));
    EXPECT_EQ(window->State.ChannelText, QStringLiteral("T1"));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 023.5"));
    EXPECT_EQ(window->State.ValueText, QStringLiteral(" 024.0"));
    EXPECT_EQ(window->State.CurrentValue, 24.0);
}

TEST_F(ReadoutTest, OverloadFailsAndKeepsTheValue)
{
    window->T1LO->setText(QStringLiteral("-1000"));
    window->T1HI->setText(QStringLiteral("1000"));
    show(frame('2', "0235", '1', '0', '0'));
    ASSERT_EQ(window->State.JudgeText, QStringLiteral("Pass"));

    show(frame('2', "A0FA", '1', '0', '0'));
    EXPECT_EQ(digits(), QStringLiteral(" 0@ "));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 0L "));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Fail"));
    EXPECT_EQ(textColour(window->T1VALUE), kRed);
    EXPECT_EQ(window->State.CurrentValue, 23.5);
}

TEST_F(ReadoutTest, DashesOnTheLastDigitsAreJudgedFourDashesAreNot)
{
    window->T1LO->setText(QStringLiteral("-1000"));
    window->T1HI->setText(QStringLiteral("1000"));
    show(frame('2', "0235", '1', '0', '0'));

    show(frame('0', "BBBB", '1', '0', '1'));
    EXPECT_EQ(digits(), QStringLiteral("----"));
    EXPECT_EQ(window->State.ValueText, QStringLiteral("----"));
    EXPECT_EQ(window->State.ChannelText, QStringLiteral("T1"));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 023.5"));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Pass"));

    show(frame('0', "12BB", '1', '0', '0'));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral("----"));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Fail"));
    EXPECT_EQ(window->State.CurrentValue, 23.5);
}

TEST_F(ReadoutTest, UndecodableFrameChangesNothing)
{
    show(frame('2', "0235", '1', '0', '0'));
    window->CONok->hide();
    window->CONokN->show();
    window->State.LinkWatchdog = 40;
    const ReadingState before = window->State;

    for (const QString& bad : {frame('A', "0999", '2', '1', '1'), frame('2', "0999", 'F', '1', '1'),
                               frame('2', "0999", '2', 'B', '1'), frame('2', "0999", '2', '1', 'E'),
                               QStringLiteral("20999200"), QString()}) {
        SCOPED_TRACE(bad.toStdString());
        show(bad);
        EXPECT_EQ(digits(), QStringLiteral("0235"));
        EXPECT_EQ(window->LCDC->text(), QStringLiteral("#"));
        EXPECT_EQ(window->LCDTYPE->text(), QStringLiteral("K"));
        EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 023.5"));
        EXPECT_TRUE(window->CONok->isHidden());
        EXPECT_EQ(window->State.LinkWatchdog, 40);
        EXPECT_EQ(window->State.ValueText, before.ValueText);
        EXPECT_EQ(window->State.UnitText, before.UnitText);
        EXPECT_EQ(window->State.ChannelText, before.ChannelText);
        EXPECT_EQ(window->State.JudgeText, before.JudgeText);
        EXPECT_EQ(window->State.CurrentValue, before.CurrentValue);
    }
    // The next good frame is shown as usual.
    show(frame('2', "0240", '1', '0', '0'));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral(" 024.0"));
}

TEST_F(ReadoutTest, JudgementUsesTheLimitEditsInclusively)
{
    window->T1LO->setText(QStringLiteral("23.5"));
    window->T1HI->setText(QStringLiteral("23.5"));
    show(frame('2', "0235", '1', '0', '0'));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Pass"));
    EXPECT_EQ(textColour(window->T1VALUE), kGreen);

    window->T1LO->setText(QStringLiteral("30"));
    window->T1HI->setText(QStringLiteral("10"));
    show(frame('2', "0235", '1', '0', '0'));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Fail"));
    EXPECT_EQ(textColour(window->T1VALUE), kRed);
}

TEST_F(ReadoutTest, OnlyNumericReadingsWidenTheChartRange)
{
    ASSERT_NE(window->ChartControl, nullptr);
    show(frame('2', "0235", '1', '0', '0'));
    EXPECT_EQ(window->ChartControl->FAxisMin(), 13.5);
    EXPECT_EQ(window->ChartControl->FAxisMax(), 33.5);

    // Overload, dashes and a dropped frame hand nothing to the chart.
    show(frame('2', "A0FA", '1', '0', '0'));
    show(frame('0', "99BB", '1', '0', '0'));
    show(frame('2', "9999", 'A', '0', '0'));
    EXPECT_EQ(window->ChartControl->FAxisMin(), 13.5);
    EXPECT_EQ(window->ChartControl->FAxisMax(), 33.5);
}

class LimitEditTest : public ReadoutTest {};

TEST_F(LimitEditTest, KeyFilterDropsWhatIsNoPartOfANumber)
{
    QLineEdit* edit = window->T1HI;
    edit->selectAll();
    typeText(edit, QStringLiteral("1a+2e.5,x"));
    EXPECT_EQ(edit->text(), QStringLiteral("12.5"));
    typeKey(edit, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(edit->text(), QStringLiteral("12."));
}

TEST_F(LimitEditTest, MinusOverTheRepairedZeroThenADigit)
{
    QLineEdit* edit = window->T1LO;
    edit->setText(QStringLiteral("abc")); // repaired to a selected "0"
    ASSERT_EQ(edit->text(), QStringLiteral("0"));
    ASSERT_EQ(edit->selectedText(), QStringLiteral("0"));

    typeKey(edit, Qt::Key_Minus, QStringLiteral("-"));
    EXPECT_EQ(edit->text(), QStringLiteral("-0"));
    EXPECT_EQ(edit->selectionStart(), 1);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("0"));

    typeKey(edit, Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(edit->text(), QStringLiteral("-5"));
}

TEST_F(LimitEditTest, PastedLettersAndEmptyTextBecomeASelectedZero)
{
    QLineEdit* edit = window->T2LO;
    edit->setText(QStringLiteral("12"));
    edit->setCursorPosition(2);
    edit->insert(QStringLiteral("xy"));
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("0"));

    edit->setText(QStringLiteral("7"));
    edit->end(false);
    typeKey(edit, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_EQ(edit->selectionStart(), 0);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("0"));
}

} // namespace
