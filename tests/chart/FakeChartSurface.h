#pragma once

#include "chart/ChartSurface.h"

#include <vector>

// A chart that only records: the points' y values, the bottom axis window
// and how often the left axis was set.
class FakeChartSurface : public ChartSurface {
public:
    void appendPoint(double y) override { points.push_back(y); }
    qint64 pointCount() const override { return qint64(points.size()); }
    void clearPoints() override { points.clear(); }
    DataExtent dataExtent() const override
    {
        return points.empty() ? DataExtent{} : DataExtent{0.0, double(points.size() - 1)};
    }
    void setBottomAxisAutomatic(bool on) override { automatic = on; }
    void setBottomAxisRange(double min, double max) override
    {
        windowMin = min;
        windowMax = max;
        ++windowSets;
    }
    double bottomAxisMin() const override { return windowMin; }
    double bottomAxisMax() const override { return windowMax; }
    void setLeftAxisMax(double max) override
    {
        leftMax = max;
        ++leftSets;
    }
    void setLeftAxisMin(double min) override
    {
        leftMin = min;
        ++leftSets;
    }

    std::vector<double> points;
    bool automatic = true;
    double windowMin = 0.0;
    double windowMax = 0.0;
    int windowSets = 0;
    double leftMin = 0.0;
    double leftMax = 0.0;
    int leftSets = 0;
};
