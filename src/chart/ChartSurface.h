#pragma once

#include <QtGlobal>

// The smallest x and the largest x of the points a chart shows; with no
// points both are 0.
struct DataExtent {
    double minX = 0.0;
    double maxX = 0.0;
};

// What the paging control needs of a chart. Every series of the chart
// receives the same points (the trace and its inactive area twin), so the
// surface speaks of the chart's points rather than of each series: appending
// a point appends it to every series, in list order, and a point's x is the
// number of points the series held before it (0, 1, 2, ...).
class ChartSurface {
public:
    virtual ~ChartSurface() = default;

    virtual void appendPoint(double y) = 0;
    virtual qint64 pointCount() const = 0;
    virtual void clearPoints() = 0;
    // Extent of the shown (active) series; all series hold the same x values.
    virtual DataExtent dataExtent() const = 0;

    // Automatic range: the bottom axis spans the data; manual: the range set.
    virtual void setBottomAxisAutomatic(bool automatic) = 0;
    virtual void setBottomAxisRange(double min, double max) = 0;
    virtual double bottomAxisMin() const = 0;
    virtual double bottomAxisMax() const = 0;

    virtual void setLeftAxisMax(double max) = 0;
    virtual void setLeftAxisMin(double min) = 0;
};
