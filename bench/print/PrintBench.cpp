// The print preview must open and jump in constant time and memory at ten
// million rows; PDF export must stream at a rate near a bare PDF loop that
// draws the same texts; saving the chart picture must be quick.
#include "Figures.h"
#include "SilentDialogs.h"
#include "app/TFCOMM.h"
#include "chart/TrendChartView.h"
#include "print/ChartPicture.h"
#include "print/PrintDialogs.h"
#include "print/ReportLayout.h"
#include "print/ReportOutput.h"
#include "print/ReportPageView.h"
#include "print/ReportPreview.h"
#include "print/ReportRows.h"
#include "recording/ReadingTable.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kTenMillion = 10'000'000;
constexpr int kPdfPages = 1000;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Peak resident size since the last reset (VmHWM), in bytes.
long long peakBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The real preview, driven as a user would: it opens, page 1 appears, then
// the last page is asked for and appears.
class TimedPreview : public PrintDialogs {
public:
    void preview(const ReportRows& rows, LastFolder& folder, QWidget* parent) override
    {
        ReportPreview preview(rows, *this, folder, parent);
        int painted = -1;
        QObject::connect(preview.pages(), &ReportPageView::pagePainted,
                         [&painted](int page) { painted = std::max(painted, page); });
        preview.show();
        const auto giveUp = Clock::now() + std::chrono::seconds(30);
        while (painted < 0 && Clock::now() < giveUp)
            QCoreApplication::processEvents();
        openMs.push_back(msSince(clickedAt));

        const int last = preview.pages()->pageCount() - 1;
        const auto jumpAt = Clock::now();
        preview.lastPage();
        while (painted < last && Clock::now() < giveUp) {
            preview.pages()->viewport()->repaint();
            QCoreApplication::processEvents();
        }
        jumpMs.push_back(msSince(jumpAt));
        peak = std::max(peak, peakBytes());
    }
    bool setUpPrinter(QPrinter&, int, QWidget*) override { return false; }
    QString pdfFileName(const QString&, QWidget*) override { return {}; }
    void failed(const QString&, QWidget*) override {}

    Clock::time_point clickedAt;
    std::vector<double> openMs, jumpMs;
    long long peak = 0;
};

void fillTable(ReadingTable& table, int rows)
{
    std::vector<QString> values;
    for (int tenths = 0; tenths < 3000; ++tenths)
        values.push_back(
            QStringLiteral(" %1.%2").arg(tenths / 10, 3, 10, QLatin1Char('0')).arg(tenths % 10));
    const QString channels[] = {QStringLiteral("T1"), QStringLiteral("T2")};
    const QString judges[] = {QStringLiteral("Pass"), QStringLiteral("Fail")};
    const QDateTime start(QDate(2024, 5, 6), QTime(9, 0, 0));
    table.beginBulkUpdate();
    for (int i = 0; i < rows; ++i)
        table.appendRecorded(i + 1, start.addSecs(i), channels[(i / 100) % 2],
                             values[size_t(i / 7 + i % 5) % values.size()], QStringLiteral("#-K"),
                             judges[(i / 20) % 2]);
    table.endBulkUpdate();
}

// A bare PDF loop: the same texts at the same places in the same faces,
// positions worked out inline and every text drawn as plain text.
double barePdfPagesPerSecond(const ReportRows& rows, const QString& file)
{
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    const auto start = Clock::now();
    {
        QPdfWriter writer(&out);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        const double dpi = writer.resolution();
        const auto dev = [dpi](double tenthsMm) { return int(tenthsMm * dpi / 254.0 + 0.5); };
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(int(10 * dpi / 72 + 0.5));
        QFont label(QStringLiteral("MS Sans Serif"));
        label.setPixelSize(font.pixelSize());
        const int fieldLeft[] = {85, 339, 762, 995, 1312, 1566};
        const int titleLeft[] = {85, 339, 762, 995, 1323, 1566};
        const char* titles[] = {"No", "Time", "T1 T2", "Value", "Unit", "Judge"};
        QPainter p(&writer);
        for (int page = 0; page < kPdfPages; ++page) {
            if (page > 0)
                writer.newPage();
            p.setFont(label);
            p.drawText(QRect(dev(100), dev(121), dev(1900), dev(85)), Qt::AlignHCenter,
                       QStringLiteral("Test Data"));
            for (int c = 0; c < 6; ++c)
                p.drawText(QPoint(dev(100 + titleLeft[c]), dev(248) + p.fontMetrics().ascent()),
                           QString::fromLatin1(titles[c]));
            p.setFont(font);
            for (int i = 0; i < ReportLayout::kRowsPerPage; ++i) {
                const ReadingRow row = rows.row(page * ReportLayout::kRowsPerPage + i);
                const int y = dev(312 + 66 * i + 21) + p.fontMetrics().ascent();
                const QString texts[] = {QString::number(*row.no),
                                         row.time,
                                         row.channel,
                                         row.value,
                                         row.unit,
                                         row.judge};
                for (int c = 0; c < 6; ++c)
                    p.drawText(QPoint(dev(100 + fieldLeft[c]), y), texts[c]);
            }
            p.setFont(label);
            p.drawText(QPoint(dev(185), dev(2806) + p.fontMetrics().ascent()),
                       QStringLiteral("The Data Print Foot"));
        }
    }
    return kPdfPages / (msSince(start) / 1000.0);
}

double pdfPagesPerSecond(const ReportRows& rows, const QString& file)
{
    QString error;
    const auto start = Clock::now();
    exportPdf(file, rows, PageRun{0, kPdfPages - 1, 1, true}, {}, error);
    return kPdfPages / (msSince(start) / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QTemporaryDir dir;

    SilentDialogs dialogs;
    TimedPreview preview;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    services.printDialogs = &preview;
    TFCOMM window(services);
    window.show();
    QCoreApplication::processEvents();

    // PDF export of a 1000-page range (of a table larger than the range),
    // in turns with the bare loop; the best turn of each counts.
    fillTable(*window.cds1, kPdfPages * ReportLayout::kRowsPerPage + 100);
    {
        const TableReportRows rows(window.cds1->rows());
        std::vector<double> ours, bare;
        const QString file = dir.filePath(QStringLiteral("report.pdf"));
        const long long before = figures::residentBytes();
        resetPeak();
        for (int round = 0; round < 3; ++round) {
            ours.push_back(pdfPagesPerSecond(rows, file));
            bare.push_back(barePdfPagesPerSecond(rows, dir.filePath(QStringLiteral("bare.pdf"))));
        }
        const double best = *std::max_element(ours.begin(), ours.end());
        const double bestBare = *std::max_element(bare.begin(), bare.end());
        figures::print("print_pdf_pages_per_s", best, "pages/s");
        figures::print("print_pdf_ratio_to_bare", best / bestBare, "ratio");
        figures::print("print_pdf_peak_extra_mb_1000_pages",
                       double(peakBytes() - before) / (1024.0 * 1024.0), "MB");
    }

    // Chart picture: a chart with a page of readings, saved as a bitmap.
    for (int i = 0; i < 150; ++i)
        window.ChartAddReading(20.0 + (i % 9));
    std::vector<double> picture;
    for (int round = 0; round < 15; ++round) {
        const auto start = Clock::now();
        chart_picture::save(chart_picture::grab(*window.ChartView->viewport()),
                            dir.filePath(QStringLiteral("chart.bmp")));
        picture.push_back(msSince(start));
    }
    figures::print("chart_picture_ms", median(picture), "ms");

    // Preview at ten million rows: from the click until page 1 is painted,
    // then to the last page.
    window.cds1->clear();
    fillTable(*window.cds1, kTenMillion);
    QCoreApplication::processEvents();
    const long long table = figures::residentBytes();
    resetPeak();
    for (int round = 0; round < kRounds; ++round) {
        preview.clickedAt = Clock::now();
        window.BtPrintClick();
    }
    figures::print("print_preview_open_ms_at_10m", median(preview.openMs), "ms");
    figures::print("print_preview_page_jump_ms_at_10m", median(preview.jumpMs), "ms");
    figures::print("print_preview_peak_extra_mb_at_10m",
                   double(std::max(preview.peak, peakBytes()) - table) / (1024.0 * 1024.0), "MB");
    return 0;
}
