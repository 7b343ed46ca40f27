// The trend chart of the main window: start-up state, readings, paging
// buttons, the page-width edit and the vertical range hand-off.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QValueAxis>

namespace {

class ChartTest : public WindowTest {
protected:
    void readings(int count)
    {
        for (int i = 0; i < count; ++i)
            window->ChartAddReading(20.0 + i % 5);
    }
    std::pair<double, double> bottomWindow() const
    {
        return {window->ChartView->bottomAxisMin(), window->ChartView->bottomAxisMax()};
    }
    QString page() const { return window->Bt10->text(); }
    void leaveMaxrecord(const QString& text)
    {
        window->Maxrecord->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(window->Maxrecord, &out);
    }
};

TEST_F(ChartTest, StartsOnPageOneWithAPlaceholderAndTheStartupRange)
{
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));
    EXPECT_EQ(window->ChartView->pointCount(), 1);
    EXPECT_EQ(window->ChartControl->FAxisMax(), 10000);
    EXPECT_EQ(window->ChartControl->FAxisMin(), -10000);
    EXPECT_EQ(window->ChartView->leftAxis()->max(), 10000);
    EXPECT_EQ(window->ChartView->leftAxis()->min(), -10000);
    EXPECT_EQ(page(), QStringLiteral("1"));
}

TEST_F(ChartTest, ChartAndItsToolbarShowNoTooltips)
{
    EXPECT_TRUE(window->Chtshow->toolTip().isEmpty());
    for (const QWidget* child : window->Chtshow->findChildren<QWidget*>())
        EXPECT_TRUE(child->toolTip().isEmpty()) << child->metaObject()->className();
    EXPECT_EQ(window->Bt10->property("hint").toString(), QStringLiteral("Page No."));
}

TEST_F(ChartTest, VerticalRangeOpensAroundTheFirstReadingAndOnlyWidens)
{
    const auto range = [this] {
        return std::make_pair(window->ChartView->leftAxis()->min(),
                              window->ChartView->leftAxis()->max());
    };
    window->ChartWidenRange(23.5);
    EXPECT_EQ(range(), std::make_pair(13.5, 33.5));
    window->ChartWidenRange(40.0);
    EXPECT_EQ(range(), std::make_pair(13.5, 50.0));
    window->ChartWidenRange(25.0);
    EXPECT_EQ(range(), std::make_pair(13.5, 50.0));
    window->ChartWidenRange(20.0);
    EXPECT_EQ(range(), std::make_pair(10.0, 50.0));
}

TEST_F(ChartTest, PageNumberRunsAheadOfTheWindowByOnePoint)
{
    readings(100); // the 100th reading lands at x = 100
    EXPECT_EQ(page(), QStringLiteral("2"));
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));
    readings(1);
    EXPECT_EQ(page(), QStringLiteral("2"));
    EXPECT_EQ(bottomWindow(), std::make_pair(101.0, 200.0));
}

TEST_F(ChartTest, PagingButtonsShowThePageTheyReach)
{
    readings(250); // x 1..250: window 201..300, page 3
    window->BtFirst->click();
    EXPECT_EQ(page(), QStringLiteral("1"));
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));

    readings(100); // browsing: page 1 stays in view
    EXPECT_EQ(page(), QStringLiteral("1"));
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));

    window->BtNext->click();
    EXPECT_EQ(page(), QStringLiteral("2"));
    window->BTPrevious->click();
    EXPECT_EQ(page(), QStringLiteral("1"));
    window->BTlast->click();
    EXPECT_EQ(page(), QStringLiteral("4"));
    EXPECT_EQ(bottomWindow(), std::make_pair(301.0, 400.0));
    readings(60); // following again
    EXPECT_EQ(bottomWindow(), std::make_pair(401.0, 500.0));
    EXPECT_EQ(page(), QStringLiteral("5"));
}

TEST_F(ChartTest, NarrowerPageWidthShowsTheLastPageOfTheNewWidth)
{
    readings(44); // 45 points with the placeholder
    leaveMaxrecord(QStringLiteral("20"));
    EXPECT_EQ(window->ChartControl->FPageWidth(), 20);
    EXPECT_EQ(page(), QStringLiteral("3"));
    EXPECT_EQ(bottomWindow(), std::make_pair(41.0, 60.0));
}

// Texts that are not a whole page width from 1 up come back as "100", all
// selected, and the page width becomes 100.
TEST_F(ChartTest, PageWidthTextThatIsNoWidthBecomesTheDefault)
{
    for (const QString& text : {QString(), QStringLiteral("0"), QStringLiteral("2147483648"),
                                QStringLiteral("99999999999"), QStringLiteral("-3")}) {
        leaveMaxrecord(QStringLiteral("20"));
        ASSERT_EQ(window->ChartControl->FPageWidth(), 20);
        leaveMaxrecord(text);
        EXPECT_EQ(window->Maxrecord->text(), QStringLiteral("100")) << text.toStdString();
        EXPECT_EQ(window->Maxrecord->selectedText(), QStringLiteral("100")) << text.toStdString();
        EXPECT_EQ(window->ChartControl->FPageWidth(), 100) << text.toStdString();
    }
}

TEST_F(ChartTest, PageWidthChangesOnlyWhenTheFocusLeavesForAnotherControl)
{
    window->Maxrecord->setText(QStringLiteral("20"));
    EXPECT_EQ(window->ChartControl->FPageWidth(), 100);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(window->Maxrecord, &popup);
    EXPECT_EQ(window->ChartControl->FPageWidth(), 100);
    leaveMaxrecord(QStringLiteral("20"));
    EXPECT_EQ(window->ChartControl->FPageWidth(), 20);
}

TEST_F(ChartTest, PageWidthEditTakesDigitsOnly)
{
    window->Maxrecord->clear();
    for (const QChar typed : QStringLiteral("2a-0.")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(typed));
        QApplication::sendEvent(window->Maxrecord, &key);
    }
    EXPECT_EQ(window->Maxrecord->text(), QStringLiteral("20"));
}

TEST_F(ChartTest, NewOnTheChartToolbarStartsANewRecording)
{
    readings(250);
    window->BtNew->click();
    EXPECT_EQ(window->ChartView->pointCount(), 0);
    EXPECT_EQ(page(), QStringLiteral("1"));
    EXPECT_TRUE(dialogs.texts().contains(QStringLiteral(" Record deleted ")));
}

TEST_F(ChartTest, ClearingTheChartShowsPageOne)
{
    readings(250);
    window->ChartClear();
    EXPECT_EQ(page(), QStringLiteral("1"));
    EXPECT_EQ(window->ChartView->pointCount(), 0);
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));
    readings(100); // the first lies left of the window, 99 on page 1
    EXPECT_EQ(page(), QStringLiteral("1"));
    EXPECT_EQ(bottomWindow(), std::make_pair(1.0, 100.0));
}

// The page-width edit may lose the focus only while the window's controls
// are destroyed (the desktop tells it late, after the window closed), when
// the chart control is gone: that must reach no handler of the window.
TEST_F(ChartTest, PageWidthEditLosingTheFocusWhileTheWindowIsDestroyedReachesNoHandler)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    QLineEdit* edit = window->Maxrecord;
    edit->setFocus();
    edit->setText(QStringLiteral("20"));
    window->close();
    QObject::connect(window->ChartView, &QObject::destroyed, edit, [edit] {
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(edit, &out);
    });
    window.reset();
}

} // namespace
