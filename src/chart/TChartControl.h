#pragma once

#include <QtGlobal>

class ChartSurface;

// Turns a chart into a paged strip chart: the bottom axis shows a window of
// FPageWidth points, which follows the newest points one whole page at a
// time until the user pages away (browsing). It also remembers the vertical
// limits it last gave the chart. FCurrentPage and FPageCount are bookkeeping
// and may disagree with what the window shows (for instance just after Clear).
// The control does not own the chart.
class TChartControl {
public:
    static constexpr qint32 kDefaultPageWidth = 100;

    // A page width below 1 is replaced by kDefaultPageWidth.
    TChartControl(ChartSurface& chart, qint32 pageWidth);

    void AddValue(double value);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    // A width below 1 is refused: the window keeps its width.
    void SetPageWidth(qint32 width);
    void SetAxisMax(double limit);
    void SetAxisMin(double limit);
    void Clear();

    qint32 FCurrentPage() const { return currentPage_; }
    qint32 FPageWidth() const { return pageWidth_; }
    qint32 FPageCount() const { return pageCount_; }
    bool FBrowsing() const { return browsing_; }
    double FAxisMax() const { return axisMax_; }
    double FAxisMin() const { return axisMin_; }

private:
    // Shifts the bottom axis window by offset, `times` times over, each shift
    // only while data lies beyond the edge it moves towards.
    void ScrollBottomAxis(double offset, qint64 times = 1);
    qint32 pageCountOfPoints() const;

    ChartSurface& chart_;
    qint32 currentPage_ = 0;
    qint32 pageWidth_ = 0;
    qint32 pageCount_ = 0;
    bool browsing_ = false;
    double axisMax_ = 0.0;
    double axisMin_ = 0.0;
};
