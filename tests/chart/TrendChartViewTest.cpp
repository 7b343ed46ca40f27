// The real chart view offscreen: the series hold only the bottom axis window
// (plus one neighbour each side) while the history holds every point.
#include "chart/TrendChartView.h"
#include "chart/TChartControl.h"

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

class TrendChartViewTest : public ::testing::Test {
protected:
    TrendChartViewTest() { view.resize(391, 456); }

    void add(int count)
    {
        for (int i = 0; i < count; ++i)
            control.AddValue(double(i % 50));
    }
    // x of the first and last point the chart was handed.
    static std::pair<double, double> handedSpan(const QLineSeries* series)
    {
        const QList<QPointF> points = series->points();
        if (points.isEmpty())
            return {-1, -1};
        return {points.first().x(), points.last().x()};
    }

    TrendChartView view;
    TChartControl control{view, 100};
};

TEST_F(TrendChartViewTest, SeriesHoldOnlyTheWindowWhileTheHistoryHoldsAll)
{
    add(1000); // window 901..1000
    EXPECT_EQ(view.history().size(), 1000);
    EXPECT_EQ(handedSpan(view.Series1), std::make_pair(900.0, 999.0));
    EXPECT_EQ(view.Series2->upperSeries()->points(), view.Series1->points());
    EXPECT_EQ(view.bottomAxis()->min(), 901);
    EXPECT_EQ(view.bottomAxis()->max(), 1000);

    control.PreviousPage(); // window 801..900: neighbours 800 and 901
    EXPECT_EQ(view.Series1->count(), 102);
    EXPECT_EQ(handedSpan(view.Series1), std::make_pair(800.0, 901.0));
    EXPECT_EQ(view.Series1->at(0).y(), double(800 % 50));

    add(5); // browsing: points beyond the window leave the series alone
    EXPECT_EQ(view.Series1->count(), 102);
    EXPECT_EQ(view.history().size(), 1005);

    control.Clear();
    EXPECT_EQ(view.history().size(), 0);
    EXPECT_EQ(view.Series1->count(), 0);
}

TEST_F(TrendChartViewTest, PointLandingInsideTheWindowIsShownAtOnce)
{
    view.addPlaceholderPoint();
    control.AddValue(7.5); // x 1, the left edge of page 1
    ASSERT_EQ(view.Series1->count(), 2);
    EXPECT_EQ(view.Series1->at(1), QPointF(1, 7.5));
}

// A window of far more points than the plot has pixels is handed reduced,
// keeping its edges and every slice's extremes.
TEST(TrendChartViewReductionTest, WideWindowIsReducedButKeepsItsExtremes)
{
    TrendChartView view;
    view.setBottomAxisAutomatic(false);
    view.setBottomAxisRange(-10, -5); // fill out of view, then show it once
    for (int i = 0; i < 60000; ++i)
        view.appendPoint(i == 33333 ? 999.0 : (i == 44444 ? -999.0 : double(i % 10)));
    EXPECT_EQ(view.Series1->count(), 0);
    view.setBottomAxisRange(1, 100000);

    const QList<QPointF> points = view.Series1->points();
    EXPECT_LE(points.size(), 2 * TrendChartView::kReducedBuckets + 2);
    EXPECT_EQ(points.first().x(), 0);
    EXPECT_EQ(points.last().x(), 59999);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    EXPECT_TRUE(points.contains(QPointF(33333, 999.0)));
    EXPECT_TRUE(points.contains(QPointF(44444, -999.0)));
}

// The slices of a wide window are fixed by the window: points added later
// change only the slice they fall into, and the result is the same as
// reducing the whole window afresh.
TEST(TrendChartViewReductionTest, NewPointsChangeOnlyTheLastSliceOfAWideWindow)
{
    TrendChartView view;
    view.setBottomAxisAutomatic(false);
    view.setBottomAxisRange(-10, -5); // fill out of view, then show it once
    const auto y = [](int i) { return std::sin(i / 7.0) * (i % 13); };
    int i = 0;
    for (; i < 20000; ++i)
        view.appendPoint(y(i));
    view.setBottomAxisRange(1, 100000); // slices of 100 points
    const QList<QPointF> before = view.Series1->points();
    for (; i < 20250; ++i)
        view.appendPoint(y(i));
    const QList<QPointF> after = view.Series1->points();

    // Only the last slice reached and the right edge differ.
    const qsizetype kept = before.size() - 3;
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.mid(0, kept), before.mid(0, kept));
    EXPECT_EQ(after.last(), QPointF(20249, y(20249)));

    view.setBottomAxisRange(1, 100000); // reduced again from scratch
    EXPECT_EQ(view.Series1->points(), after);
    EXPECT_EQ(view.Series2->upperSeries()->points(), after);
}

TEST_F(TrendChartViewTest, LeftAxisShowsTheLimitsTheControlGives)
{
    control.SetAxisMax(33.5);
    control.SetAxisMin(13.5);
    EXPECT_EQ(view.leftAxis()->min(), 13.5);
    EXPECT_EQ(view.leftAxis()->max(), 33.5);
}

} // namespace
