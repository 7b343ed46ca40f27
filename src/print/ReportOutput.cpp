#include "print/ReportOutput.h"

#include "print/ReportLayout.h"
#include "print/ReportPainter.h"
#include "print/ReportRows.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <limits>

int PageRun::sheets() const
{
    if (last < first || copies < 1)
        return 0;
    const qint64 total = qint64(last - first + 1) * copies;
    return int(std::min<qint64>(total, std::numeric_limits<int>::max()));
}

int PageRun::pageAt(int sheet) const
{
    const int pages = last - first + 1;
    return collate ? first + sheet % pages : first + sheet / copies;
}

PageRun PageRun::clampedTo(int pageCount) const
{
    PageRun run = *this;
    run.first = std::max(first, 0);
    run.last = std::min(last, pageCount - 1);
    run.copies = std::max(copies, 1);
    return run;
}

OutputResult paintPages(QPagedPaintDevice& device, const ReportRows& rows, const PageRun& run,
                        const PageProgress& progress)
{
    const PageRun pages = run.clampedTo(ReportLayout::pageCount(rows.rowCount()));
    const int total = pages.sheets();
    if (total == 0)
        return OutputResult::Done;
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    const ReportLayout layout(device.logicalDpiY());
    QPainter painter;
    if (!painter.begin(&device))
        return OutputResult::Failed;
    for (int sheet = 0; sheet < total; ++sheet) {
        if (sheet > 0 && !device.newPage()) {
            painter.end();
            return OutputResult::Failed;
        }
        paintReportPage(painter, layout, rows, pages.pageAt(sheet));
        if (progress && !progress(sheet + 1, total)) {
            painter.end();
            return OutputResult::Cancelled;
        }
    }
    return painter.end() ? OutputResult::Done : OutputResult::Failed;
}

OutputResult exportPdf(const QString& fileName, const ReportRows& rows, const PageRun& run,
                       const PageProgress& progress, QString& error)
{
    if (run.clampedTo(ReportLayout::pageCount(rows.rowCount())).sheets() == 0) {
        error = QStringLiteral("The report has no pages.");
        return OutputResult::Failed;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return OutputResult::Failed;
    }
    OutputResult result;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setTitle(QStringLiteral("Test Data"));
        result = paintPages(writer, rows, run, progress);
    } // the writer finishes the file's trailer as it goes
    if (result != OutputResult::Done) {
        file.cancelWriting();
        if (result == OutputResult::Failed)
            error = file.errorString().isEmpty()
                        ? QStringLiteral("The PDF file could not be written.")
                        : file.errorString();
        return result;
    }
    if (!file.commit()) {
        error = file.errorString();
        return OutputResult::Failed;
    }
    return OutputResult::Done;
}
