#pragma once

#include "chart/ChartSurface.h"
#include "chart/PointHistory.h"
#include "chart/WindowSlices.h"

#include <QChartView>

class QAreaSeries;
class QLineSeries;
class QValueAxis;

// The trend chart Chtshow: a line trace (Series1) and an inactive area
// series (Series2) over a manual bottom axis that the paging control moves
// and a manual left axis. The whole history is kept in PointHistory; the
// chart's series only get the points inside the bottom axis window plus one
// neighbour on each side (so the trace enters and leaves at the edges), which
// keeps appending, paging and painting independent of the history's length.
class TrendChartView : public QChartView, public ChartSurface {
    Q_OBJECT

public:
    explicit TrendChartView(QWidget* parent = nullptr);

    // The chart's sample fill: one placeholder point at x = 0 in every series.
    void addPlaceholderPoint();

    void appendPoint(double y) override;
    qint64 pointCount() const override { return history_.size(); }
    void clearPoints() override;
    DataExtent dataExtent() const override;
    void setBottomAxisAutomatic(bool automatic) override;
    void setBottomAxisRange(double min, double max) override;
    double bottomAxisMin() const override { return bottomMin_; }
    double bottomAxisMax() const override { return bottomMax_; }
    void setLeftAxisMax(double max) override;
    void setLeftAxisMin(double min) override;

    const PointHistory& history() const { return history_; }
    QLineSeries* Series1 = nullptr;
    QAreaSeries* Series2 = nullptr;
    QValueAxis* bottomAxis() const { return bottomAxis_; }
    QValueAxis* leftAxis() const { return leftAxis_; }

    // Windows wider than this many points are handed to the chart reduced to
    // the lowest and highest point of each of kReducedBuckets slices of the
    // window; a new point updates only the slice it falls into.
    static constexpr qint64 kMaxHandedPoints = 4000;
    static constexpr qint64 kReducedBuckets = 1000;

protected:
    // Keeps the plot margins at their share of the chart's size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLook();
    void applyBottomRange();
    void applyLeftRange();
    // Indexes handed to the chart: the window and one neighbour each side,
    // within the history (empty when last < first).
    struct Span {
        qint64 first;
        qint64 last;
    };
    Span handedSpan() const;
    bool windowIsReduced(Span span) const;
    // Hands the chart the points of the current window, in one replace.
    void showWindowPoints();
    // Folds the points between the span's edges into the slices of the
    // window; only those not folded yet (all after a reset).
    void foldIntoSlices(Span span);
    void handReducedPoints(Span span);
    void handPoints(const QList<QPointF>& points);

    QValueAxis* bottomAxis_ = nullptr;
    QValueAxis* leftAxis_ = nullptr;
    QLineSeries* areaUpper_ = nullptr;
    PointHistory history_;
    WindowSlices slices_;
    bool slicesValid_ = false; // slices_ hold the window from slicesFirst_ on
    qint64 slicesFirst_ = 0;
    bool bottomAutomatic_ = true;
    double bottomMin_ = 0.0;
    double bottomMax_ = 0.0;
    double leftMin_ = 0.0;
    double leftMax_ = 0.0;
};
