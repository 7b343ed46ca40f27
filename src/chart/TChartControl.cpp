#include "chart/TChartControl.h"

#include "chart/ChartSurface.h"

#include <algorithm>
#include <cmath>

TChartControl::TChartControl(ChartSurface& chart, qint32 pageWidth) : chart_(chart)
{
    SetPageWidth(pageWidth >= 1 ? pageWidth : kDefaultPageWidth);
    chart_.setBottomAxisAutomatic(false);
    chart_.setBottomAxisRange(1.0, pageWidth_);
    // Whatever points the chart already holds, the control starts on page 1 of 1.
    pageCount_ = 1;
    currentPage_ = 1;
}

void TChartControl::AddValue(double value)
{
    chart_.appendPoint(value);
    pageCount_ = pageCountOfPoints();
    if (!browsing_) {
        // Moves only when the new point lies right of the window, by one page.
        ScrollBottomAxis(pageWidth_);
        currentPage_ = pageCount_;
    }
}

void TChartControl::FirstPage()
{
    if (pageCount_ <= 1 || currentPage_ == 1)
        return;
    ScrollBottomAxis(-pageWidth_, qint64(currentPage_) - 1);
    currentPage_ = 1;
    browsing_ = true;
}

void TChartControl::PreviousPage()
{
    if (currentPage_ <= 1)
        return;
    ScrollBottomAxis(-pageWidth_);
    --currentPage_;
    browsing_ = true;
}

void TChartControl::NextPage()
{
    if (pageCount_ <= 1 || pageCount_ == currentPage_)
        return;
    ScrollBottomAxis(pageWidth_);
    ++currentPage_;
    // Arriving at the last page follows new points again.
    browsing_ = currentPage_ != pageCount_;
}

void TChartControl::LastPage()
{
    if (pageCount_ <= 1 || pageCount_ == currentPage_)
        return;
    ScrollBottomAxis(pageWidth_, qint64(pageCount_) - currentPage_);
    currentPage_ = pageCount_;
    browsing_ = false;
}

void TChartControl::SetPageWidth(qint32 width)
{
    // A width below 1 would put the window's maximum below its minimum and
    // divide the page count by zero.
    if (width == pageWidth_ || width < 1)
        return;
    pageWidth_ = width;
    chart_.setBottomAxisRange(1.0, width);
    pageCount_ = pageCountOfPoints();
    ScrollBottomAxis(width, qint64(pageCount_) - 1);
    currentPage_ = pageCount_;
    browsing_ = false;
}

void TChartControl::SetAxisMax(double limit)
{
    if (limit == axisMax_)
        return;
    axisMax_ = limit;
    chart_.setLeftAxisMax(limit);
}

void TChartControl::SetAxisMin(double limit)
{
    if (limit == axisMin_)
        return;
    axisMin_ = limit;
    chart_.setLeftAxisMin(limit);
}

void TChartControl::Clear()
{
    // Back to page 1 while the old points still hold the window's way back.
    FirstPage();
    chart_.clearPoints();
    browsing_ = false;
}

void TChartControl::ScrollBottomAxis(double offset, qint64 times)
{
    if (times <= 0 || offset == 0.0)
        return;
    // Shift k happens while data still lies beyond the edge after k - 1
    // shifts; the data do not change in between, so the number of shifts is
    // the distance to the data's edge in whole offsets, capped at `times`.
    // Computing it at once keeps paging over many pages as cheap as one page.
    const DataExtent extent = chart_.dataExtent();
    const double min = chart_.bottomAxisMin();
    const double max = chart_.bottomAxisMax();
    const double beyond = offset > 0 ? extent.maxX - max : min - extent.minX;
    if (!(beyond > 0.0))
        return;
    const double needed = std::ceil(beyond / std::abs(offset));
    const double shifts = std::min(needed, double(times));
    chart_.setBottomAxisRange(min + shifts * offset, max + shifts * offset);
}

qint32 TChartControl::pageCountOfPoints() const
{
    const qint64 points = chart_.pointCount();
    return qint32(points / pageWidth_ + (points % pageWidth_ > 0 ? 1 : 0));
}
