// The vertical range opens around the first reading and only widens.
#include "chart/VerticalRange.h"
#include "FakeChartSurface.h"
#include "chart/TChartControl.h"

#include <gtest/gtest.h>

namespace {

struct RangeStep {
    double reading;
    double min, max;
};

class VerticalRangeTest : public ::testing::Test {
protected:
    VerticalRangeTest()
    {
        control.SetAxisMax(vertical_range::kStartupMax);
        control.SetAxisMin(vertical_range::kStartupMin);
    }
    void expectSteps(std::initializer_list<RangeStep> steps)
    {
        for (const RangeStep& step : steps) {
            WidenVerticalRange(control, step.reading);
            EXPECT_EQ(control.FAxisMin(), step.min) << "after " << step.reading;
            EXPECT_EQ(control.FAxisMax(), step.max) << "after " << step.reading;
            EXPECT_EQ(chart.leftMin, step.min) << "after " << step.reading;
            EXPECT_EQ(chart.leftMax, step.max) << "after " << step.reading;
        }
    }

    FakeChartSurface chart;
    TChartControl control{chart, 100};
};

TEST_F(VerticalRangeTest, FirstReadingOpensTwentyUnitsAndLaterOnesOnlyWiden)
{
    expectSteps({{23.5, 13.5, 33.5},
                 {40.0, 13.5, 50.0},
                 {25.0, 13.5, 50.0},
                 {20.0, 10.0, 50.0},
                 {5.0, -5.0, 50.0}});
}

// A first reading far outside the start-up bounds still opens around itself.
TEST_F(VerticalRangeTest, FirstReadingBeyondTheStartupBounds)
{
    expectSteps({{-20000.0, -20010.0, -19990.0}, {-19995.0, -20010.0, -19985.0}});
}

TEST_F(VerticalRangeTest, FirstReadingOfZero)
{
    expectSteps({{0.0, -10.0, 10.0}, {0.0, -10.0, 10.0}});
}

} // namespace
