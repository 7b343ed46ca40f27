// Paging rules of the chart control, against a chart that only records.
// Page width 100 unless said otherwise; point k (from 1) has x = k - 1.
#include "chart/TChartControl.h"
#include "FakeChartSurface.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ChartControlTest : public ::testing::Test {
protected:
    void add(int count)
    {
        for (int i = 0; i < count; ++i)
            control.AddValue(i % 7);
    }
    void expectWindow(double min, double max)
    {
        EXPECT_EQ(chart.windowMin, min);
        EXPECT_EQ(chart.windowMax, max);
    }

    FakeChartSurface chart;
    TChartControl control{chart, 100};
};

TEST_F(ChartControlTest, StartsOnPageOneOfOneWithAManualWindow)
{
    EXPECT_FALSE(chart.automatic);
    expectWindow(1, 100);
    EXPECT_EQ(control.FCurrentPage(), 1);
    EXPECT_EQ(control.FPageCount(), 1);
    EXPECT_EQ(control.FPageWidth(), 100);
    EXPECT_FALSE(control.FBrowsing());
}

struct FollowCase {
    int points;
    double windowMin, windowMax;
    int page, pageCount;
};

class ChartControlFollowTest : public ChartControlTest,
                               public ::testing::WithParamInterface<FollowCase> {};

// The window moves by one page only once a point lies right of it, while the
// page number already counts the page the newest point starts.
TEST_P(ChartControlFollowTest, WindowFollowsTheNewestPointOnePageAtATime)
{
    const FollowCase c = GetParam();
    add(c.points);
    expectWindow(c.windowMin, c.windowMax);
    EXPECT_EQ(control.FCurrentPage(), c.page);
    EXPECT_EQ(control.FPageCount(), c.pageCount);
    EXPECT_FALSE(control.FBrowsing());
}

INSTANTIATE_TEST_SUITE_P(Points, ChartControlFollowTest,
                         ::testing::Values(FollowCase{1, 1, 100, 1, 1},
                                           FollowCase{100, 1, 100, 1, 1},
                                           FollowCase{101, 1, 100, 2, 2},
                                           FollowCase{102, 101, 200, 2, 2},
                                           FollowCase{250, 201, 300, 3, 3}),
                         [](const ::testing::TestParamInfo<FollowCase>& info) {
                             return std::to_string(info.param.points) + "Points";
                         });

TEST_F(ChartControlTest, PagingBackBrowsesUntilNextReachesTheLastPage)
{
    add(250);
    control.PreviousPage();
    expectWindow(101, 200);
    EXPECT_EQ(control.FCurrentPage(), 2);
    EXPECT_TRUE(control.FBrowsing());

    add(20); // browsing: the window and the page stay
    expectWindow(101, 200);
    EXPECT_EQ(control.FCurrentPage(), 2);

    control.NextPage();
    expectWindow(201, 300);
    EXPECT_EQ(control.FCurrentPage(), 3);
    EXPECT_FALSE(control.FBrowsing());
    add(40); // following again: x 309 lies beyond 300
    expectWindow(301, 400);
    EXPECT_EQ(control.FCurrentPage(), 4);
}

TEST_F(ChartControlTest, FirstPageScrollsOnlyAsFarAsTheDataReach)
{
    add(101); // window 1..100, page 2; the point at x 0 lies left of it
    control.FirstPage();
    expectWindow(-99, 0);
    EXPECT_EQ(control.FCurrentPage(), 1);
    EXPECT_TRUE(control.FBrowsing());
}

TEST_F(ChartControlTest, LastPageJumpsToTheNewestPageAndFollowsAgain)
{
    add(250);
    control.FirstPage();
    expectWindow(1, 100);
    add(300); // 550 points, six pages, still browsing page 1
    expectWindow(1, 100);
    EXPECT_EQ(control.FPageCount(), 6);

    control.LastPage();
    expectWindow(501, 600);
    EXPECT_EQ(control.FCurrentPage(), 6);
    EXPECT_FALSE(control.FBrowsing());
}

// Jumping over many pages must land where single steps would, with one
// change of the window instead of one per page.
TEST_F(ChartControlTest, JumpsOverManyPagesMatchSingleSteps)
{
    FakeChartSurface stepped;
    TChartControl steps(stepped, 100);
    for (int i = 0; i < 100000; ++i) {
        control.AddValue(1);
        steps.AddValue(1);
    }
    steps.PreviousPage();
    while (steps.FCurrentPage() > 1)
        steps.PreviousPage();

    const int setsBefore = chart.windowSets;
    control.FirstPage();
    EXPECT_EQ(chart.windowSets, setsBefore + 1);
    EXPECT_EQ(chart.windowMin, stepped.windowMin);
    EXPECT_EQ(chart.windowMax, stepped.windowMax);

    while (steps.FCurrentPage() < steps.FPageCount())
        steps.NextPage();
    control.LastPage();
    EXPECT_EQ(chart.windowMin, stepped.windowMin);
    EXPECT_EQ(chart.windowMax, stepped.windowMax);
    EXPECT_EQ(control.FCurrentPage(), 1000);
}

TEST_F(ChartControlTest, PagingPastEitherEndChangesNothing)
{
    add(50);
    const int sets = chart.windowSets;
    control.PreviousPage();
    control.NextPage();
    control.LastPage();
    control.FirstPage();
    EXPECT_EQ(chart.windowSets, sets);
    EXPECT_EQ(control.FCurrentPage(), 1);
    EXPECT_FALSE(control.FBrowsing());
}

TEST_F(ChartControlTest, ClearOnPageThreeGoesBackToPageOneAndKeepsThePageCount)
{
    add(250);
    control.Clear();
    expectWindow(1, 100);
    EXPECT_TRUE(chart.points.empty());
    EXPECT_EQ(control.FCurrentPage(), 1);
    EXPECT_EQ(control.FPageCount(), 3);
    EXPECT_FALSE(control.FBrowsing());

    // Bookkeeping only: the page number moves although no data lie beyond.
    control.NextPage();
    expectWindow(1, 100);
    EXPECT_EQ(control.FCurrentPage(), 2);

    control.AddValue(5);
    EXPECT_EQ(control.FPageCount(), 1);
}

TEST_F(ChartControlTest, NewPageWidthGoesToTheLastPageOfTheNewWidth)
{
    add(120);
    control.PreviousPage();
    control.SetPageWidth(50);
    expectWindow(101, 150);
    EXPECT_EQ(control.FPageCount(), 3);
    EXPECT_EQ(control.FCurrentPage(), 3);
    EXPECT_FALSE(control.FBrowsing());
}

TEST_F(ChartControlTest, PageWidthBelowOneIsRefused)
{
    add(120);
    const int sets = chart.windowSets;
    control.SetPageWidth(0);
    control.SetPageWidth(-5);
    EXPECT_EQ(control.FPageWidth(), 100);
    EXPECT_EQ(chart.windowSets, sets);
    control.AddValue(1); // page count still divides by a real width
    EXPECT_EQ(control.FPageCount(), 2);

    FakeChartSurface other;
    TChartControl fromZero(other, 0);
    EXPECT_EQ(fromZero.FPageWidth(), TChartControl::kDefaultPageWidth);
    EXPECT_EQ(other.windowMax, 100);
}

TEST_F(ChartControlTest, AxisLimitsReachTheChartOnlyWhenTheyChange)
{
    control.SetAxisMax(10000);
    control.SetAxisMin(-10000);
    EXPECT_EQ(chart.leftSets, 2);
    EXPECT_EQ(chart.leftMax, 10000);
    EXPECT_EQ(chart.leftMin, -10000);

    control.SetAxisMax(10000);
    control.SetAxisMin(-10000);
    EXPECT_EQ(chart.leftSets, 2);
    EXPECT_EQ(control.FAxisMax(), 10000);
    EXPECT_EQ(control.FAxisMin(), -10000);
}

} // namespace
