#include "chart/TrendChartView.h"

#include <QAreaSeries>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QLinearGradient>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The chart's fixed colours.
const QColor kPanel(0xC0, 0xDD, 0xF8);
const QColor kGradientTop(0xEA, 0xEA, 0xEA);
const QColor kTrace(0x00, 0x00, 0xFF);
const QColor kAreaOutline(0x00, 0x80, 0xFF);
const QColor kLeftAxisLine(0x00, 0x40, 0x80);
const QColor kGrid(0xC0, 0xC0, 0xC0); // silver

// Margins of the plot, in percent of the chart's size.
constexpr double kMarginLeft = 1.0;
constexpr double kMarginRight = 6.0;
constexpr double kMarginBottom = 1.0;
// The blank title line leaves room for the toolbar above the plot.
constexpr int kMarginTopPixels = 4;

// A tick spacing of 1, 2 or 5 times a power of ten that gives at most
// maxTicks intervals over span.
double niceStep(double span, int maxTicks, double smallest)
{
    if (!(span > 0.0) || !std::isfinite(span))
        return std::max(smallest, 1.0);
    const double raw = span / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * magnitude >= raw)
            return std::max(smallest, factor * magnitude);
    }
    return std::max(smallest, 10.0 * magnitude);
}

// Ticks at whole multiples of a nice step, labelled with just enough decimals.
void setTicks(QValueAxis* axis, double min, double max, int maxTicks, double smallestStep)
{
    const double step = niceStep(max - min, maxTicks, smallestStep);
    const int decimals = step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    const QString format = QStringLiteral("%.%1f").arg(decimals);
    // Each change relays the axis out; paging keeps the step, so skip it then.
    if (axis->tickInterval() != step)
        axis->setTickInterval(step);
    if (axis->labelFormat() != format)
        axis->setLabelFormat(format);
}

// Qt's axis needs min < max; an empty span is shown one unit wide.
void setAxisRange(QValueAxis* axis, double a, double b)
{
    double min = std::min(a, b);
    double max = std::max(a, b);
    if (min == max) {
        min -= 0.5;
        max += 0.5;
    }
    axis->setRange(min, max);
}

} // namespace

TrendChartView::TrendChartView(QWidget* parent) : QChartView(parent)
{
    buildLook();
}

void TrendChartView::buildLook()
{
    auto* chart = new QChart();
    chart->legend()->hide();
    chart->setTitle(QStringLiteral(" "));
    QFont titleFont = font();
    titleFont.setPixelSize(13);
    chart->setTitleFont(titleFont);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    QLinearGradient gradient(0.0, 0.0, 0.0, 1.0);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0.0, kGradientTop);
    gradient.setColorAt(1.0, Qt::white);
    chart->setBackgroundBrush(gradient);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);

    QFont labels = font();
    labels.setPixelSize(10);
    labels.setBold(false);

    bottomAxis_ = new QValueAxis(chart);
    bottomAxis_->setTickType(QValueAxis::TicksDynamic);
    bottomAxis_->setTickAnchor(0.0);
    bottomAxis_->setGridLinePen(QPen(kGrid, 1, Qt::SolidLine));
    bottomAxis_->setLabelsFont(labels);
    leftAxis_ = new QValueAxis(chart);
    leftAxis_->setTickType(QValueAxis::TicksDynamic);
    leftAxis_->setTickAnchor(0.0);
    leftAxis_->setLinePen(QPen(kLeftAxisLine, 1, Qt::DashLine));
    leftAxis_->setGridLinePen(QPen(kGrid, 1, Qt::SolidLine));
    leftAxis_->setMinorTickCount(4);
    leftAxis_->setMinorGridLineVisible(false);
    leftAxis_->setLabelsVisible(true);
    leftAxis_->setLabelsFont(labels);
    chart->addAxis(bottomAxis_, Qt::AlignBottom);
    chart->addAxis(leftAxis_, Qt::AlignLeft);

    Series1 = new QLineSeries(chart);
    Series1->setPen(QPen(kTrace, 1));
    chart->addSeries(Series1);
    Series1->attachAxis(bottomAxis_);
    Series1->attachAxis(leftAxis_);

    // Series2 holds the same points but is inactive: it is never drawn.
    areaUpper_ = new QLineSeries(chart);
    Series2 = new QAreaSeries(areaUpper_);
    Series2->setBrush(kTrace);
    Series2->setPen(QPen(kAreaOutline, 1));
    Series2->setPointsVisible(false);
    chart->addSeries(Series2);
    Series2->attachAxis(bottomAxis_);
    Series2->attachAxis(leftAxis_);
    Series2->setVisible(false);

    // The view starts with a default chart of its own; setChart() only
    // releases it, so it is deleted here.
    QChart* const defaultChart = this->chart();
    setChart(chart);
    delete defaultChart;
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(kPanel);
    setRubberBand(QChartView::NoRubberBand);
    setInteractive(false);
    setFocusPolicy(Qt::NoFocus);

    applyBottomRange();
    applyLeftRange();
}

void TrendChartView::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    chart()->setMargins(QMargins(int(std::lround(width() * kMarginLeft / 100.0)), kMarginTopPixels,
                                 int(std::lround(width() * kMarginRight / 100.0)),
                                 int(std::lround(height() * kMarginBottom / 100.0))));
}

void TrendChartView::addPlaceholderPoint()
{
    appendPoint(0.0);
}

void TrendChartView::appendPoint(double y)
{
    history_.append(y);
    if (bottomAutomatic_) {
        applyBottomRange();
        showWindowPoints();
        return;
    }
    const Span span = handedSpan();
    const qint64 index = history_.size() - 1;
    if (index < span.first || index > span.last)
        return;
    // A wide window takes the new point into its last slice only.
    if (slicesValid_ && span.first == slicesFirst_) {
        foldIntoSlices(span);
        handReducedPoints(span);
    } else {
        showWindowPoints();
    }
}

void TrendChartView::clearPoints()
{
    history_.clear();
    if (bottomAutomatic_)
        applyBottomRange();
    showWindowPoints();
}

DataExtent TrendChartView::dataExtent() const
{
    if (history_.size() == 0)
        return {};
    return {0.0, double(history_.size() - 1)};
}

void TrendChartView::setBottomAxisAutomatic(bool automatic)
{
    bottomAutomatic_ = automatic;
    slicesValid_ = false;
    if (automatic) {
        applyBottomRange();
        showWindowPoints();
    }
}

void TrendChartView::setBottomAxisRange(double min, double max)
{
    bottomMin_ = min;
    bottomMax_ = max;
    if (bottomAutomatic_)
        return;
    applyBottomRange();
    showWindowPoints();
}

void TrendChartView::setLeftAxisMax(double max)
{
    leftMax_ = max;
    applyLeftRange();
}

void TrendChartView::setLeftAxisMin(double min)
{
    leftMin_ = min;
    applyLeftRange();
}

void TrendChartView::applyBottomRange()
{
    double min = bottomMin_;
    double max = bottomMax_;
    if (bottomAutomatic_) {
        const DataExtent extent = dataExtent();
        min = extent.minX;
        max = extent.maxX;
    }
    setTicks(bottomAxis_, min, max, 5, 1.0);
    setAxisRange(bottomAxis_, min, max);
}

void TrendChartView::applyLeftRange()
{
    setTicks(leftAxis_, std::min(leftMin_, leftMax_), std::max(leftMin_, leftMax_), 10, 0.0);
    setAxisRange(leftAxis_, leftMin_, leftMax_);
}

TrendChartView::Span TrendChartView::handedSpan() const
{
    const qint64 size = history_.size();
    if (bottomAutomatic_)
        return {0, size - 1};
    const double low = std::ceil(std::min(bottomMin_, bottomMax_)) - 1;
    const double high = std::floor(std::max(bottomMin_, bottomMax_)) + 1;
    return {qint64(std::max(low, 0.0)), qint64(std::min(high, double(size - 1)))};
}

bool TrendChartView::windowIsReduced(Span span) const
{
    if (bottomAutomatic_)
        return span.last - span.first + 1 > kMaxHandedPoints;
    // By the window's width, not by the points it holds so far, so that the
    // slices stay put while the window fills.
    const double width = std::floor(std::max(bottomMin_, bottomMax_)) -
                         std::ceil(std::min(bottomMin_, bottomMax_)) + 3;
    return width > double(kMaxHandedPoints);
}

void TrendChartView::showWindowPoints()
{
    const Span span = handedSpan();
    slicesValid_ = false;
    if (windowIsReduced(span)) {
        // Points inside the window, from its first whole x on.
        double first = 0.0;
        double capacity = double(history_.size());
        if (!bottomAutomatic_) {
            first = std::ceil(std::min(bottomMin_, bottomMax_));
            capacity = std::floor(std::max(bottomMin_, bottomMax_)) - first + 1;
        }
        // Far beyond any index: clamped only to stay within 64 bits.
        constexpr double kFar = 4e18;
        slices_.reset(qint64(std::clamp(first, -kFar, kFar)),
                      qint64(std::clamp(capacity, 1.0, kFar)), kReducedBuckets);
        slicesValid_ = true;
        slicesFirst_ = span.first;
        foldIntoSlices(span);
        handReducedPoints(span);
        return;
    }
    QList<QPointF> points;
    points.reserve(std::max<qint64>(span.last - span.first + 1, 0));
    for (qint64 i = span.first; i <= span.last; ++i)
        points.append(QPointF(double(i), history_.at(i)));
    handPoints(points);
}

void TrendChartView::foldIntoSlices(Span span)
{
    const auto valueAt = [this](qint64 i) { return history_.at(i); };
    const qint64 from = slices_.folded() >= 0 ? slices_.folded() + 1 : span.first + 1;
    for (qint64 i = from; i < span.last; ++i)
        slices_.fold(i, valueAt);
}

void TrendChartView::handReducedPoints(Span span)
{
    // Far more points than pixel columns: keep the edge points and the lowest
    // and highest point of each slice, in x order, so the drawn trace spans
    // the same values in every column.
    QList<QPointF> points;
    if (span.last >= span.first) {
        points.reserve(qsizetype(2 * slices_.slices().size() + 2));
        const auto add = [&](qint64 i) { points.append(QPointF(double(i), history_.at(i))); };
        add(span.first);
        for (const WindowSlices::Slice& slice : slices_.slices()) {
            add(std::min(slice.low, slice.high));
            if (slice.low != slice.high)
                add(std::max(slice.low, slice.high));
        }
        if (span.last > span.first)
            add(span.last);
    }
    handPoints(points);
}

void TrendChartView::handPoints(const QList<QPointF>& points)
{
    Series1->replace(points);
    areaUpper_->replace(points);
}
