// Adding a reading, paging and repainting must cost the same with ten million
// points in the chart as with a thousand, also on a page as wide as the page
// edit allows, and a point must take little more than its 8-byte value.
#include "Figures.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

double reading(qint64 i)
{
    return 20.0 + 5.0 * std::sin(double(i) / 40.0);
}

// A chart as the window has it, filled with `points` readings and following
// the newest page.
struct FilledChart {
    FilledChart()
    {
        view.resize(391, 456);
        view.addPlaceholderPoint();
        control.SetAxisMax(40);
        control.SetAxisMin(0);
        image = QImage(view.size(), QImage::Format_RGB32);
    }

    void fill(qint64 points)
    {
        // Fill while browsing page 1, as readings arriving while the user
        // looks back do, then return to the newest page.
        qint64 i = 1;
        for (; i < points && control.FPageCount() < 3; ++i)
            control.AddValue(reading(i));
        control.FirstPage();
        for (; i < points; ++i)
            control.AddValue(reading(i));
        control.LastPage();
    }

    TrendChartView view;
    TChartControl control{view, 100};
    QImage image;
    qint64 next = 0;
};

// Fixed iteration counts keep each chart near its size while measuring.
constexpr int kAddIterations = 2000;
constexpr int kPageIterations = 200;
constexpr int kRepaintIterations = 50;
// The machine is shared: time is this thread's processor time, the two sizes
// are measured in turns, several times, and the fastest turn of each counts.
constexpr int kRounds = 7;

double threadNanos()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

template <typename Step> double nanosPerStep(int iterations, Step step)
{
    const double start = threadNanos();
    for (int i = 0; i < iterations; ++i)
        step();
    return (threadNanos() - start) / iterations;
}

struct Figures {
    double addValueUs = 1e300;
    double pageChangeUs = 1e300;
    double repaintMs = 1e300;
};

void measureAdd(FilledChart& chart, Figures& f)
{
    const double add =
        nanosPerStep(kAddIterations, [&chart] { chart.control.AddValue(reading(chart.next++)); });
    f.addValueUs = std::min(f.addValueUs, add / 1e3);
}

void measureRound(FilledChart& chart, Figures& f)
{
    const double add =
        nanosPerStep(kAddIterations, [&chart] { chart.control.AddValue(reading(chart.next++)); });
    const double page = nanosPerStep(kPageIterations, [&chart] {
        chart.control.PreviousPage();
        chart.control.NextPage();
    });
    const double paint = nanosPerStep(kRepaintIterations, [&chart] {
        QPainter painter(&chart.image);
        chart.view.render(&painter);
    });
    f.addValueUs = std::min(f.addValueUs, add / 1e3);
    f.pageChangeUs = std::min(f.pageChangeUs, page / 1e3);
    f.repaintMs = std::min(f.repaintMs, paint / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    FilledChart small;
    small.fill(1000);
    FilledChart large;
    constexpr qint64 tenMillion = 10'000'000;
    const long long before = figures::residentBytes();
    large.fill(tenMillion);
    const double bytesPerPoint = double(figures::residentBytes() - before) / double(tenMillion);
    // The widest page: every new point lands in the one page that holds all.
    FilledChart wide;
    wide.fill(tenMillion);
    wide.control.SetPageWidth(std::numeric_limits<qint32>::max());

    Figures smallFigures;
    Figures largeFigures;
    Figures wideFigures;
    for (int round = 0; round < kRounds; ++round) {
        measureRound(small, smallFigures);
        measureRound(large, largeFigures);
        measureAdd(wide, wideFigures);
    }

    const Figures& s = smallFigures;
    const Figures& l = largeFigures;
    figures::print("chart_add_value_us_at_1k", s.addValueUs, "us");
    figures::print("chart_add_value_us_at_10m", l.addValueUs, "us");
    figures::print("chart_add_value_ratio_10m_1k", l.addValueUs / s.addValueUs, "ratio");
    figures::print("chart_add_value_us_wide_10m", wideFigures.addValueUs, "us");
    figures::print("chart_add_value_ratio_wide_10m", wideFigures.addValueUs / s.addValueUs,
                   "ratio");
    figures::print("chart_page_change_us_at_1k", s.pageChangeUs, "us");
    figures::print("chart_page_change_us_at_10m", l.pageChangeUs, "us");
    figures::print("chart_repaint_ms_at_1k", s.repaintMs, "ms");
    figures::print("chart_repaint_ms_at_10m", l.repaintMs, "ms");
    figures::print("chart_repaint_ratio_10m_1k", l.repaintMs / s.repaintMs, "ratio");
    figures::print("chart_bytes_per_point_at_10m", bytesPerPoint, "bytes");
    return 0;
}
