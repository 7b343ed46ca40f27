#pragma once

#include <QString>

#include <functional>

class QPagedPaintDevice;
class ReportRows;

// Pages [first, last], 0-based, each printed `copies` times: collated
// (the whole range, then again) or each page repeated before the next.
struct PageRun {
    int first = 0;
    int last = -1;
    int copies = 1;
    bool collate = true;

    int sheets() const; // pages put out in all
    int pageAt(int sheet) const;
    // The range clamped to the report's pages; empty when nothing is left.
    PageRun clampedTo(int pageCount) const;
};

// Called after each page with the pages done and the total; false cancels.
using PageProgress = std::function<bool(int done, int total)>;

enum class OutputResult { Done, Cancelled, Failed };

// Draws the run's pages on the device one after another (nothing is kept
// per page, so a short range of a long report costs what a short report
// does). The device is set to A4 portrait without margins first, since the
// layout places its own margins on the whole sheet.
OutputResult paintPages(QPagedPaintDevice& device, const ReportRows& rows, const PageRun& run,
                        const PageProgress& progress = {});

// Writes the run's pages as a PDF file. The file appears only when every
// page has been written: a cancelled or failed export leaves any existing
// file as it was. On failure `error` receives the reason.
OutputResult exportPdf(const QString& fileName, const ReportRows& rows, const PageRun& run,
                       const PageProgress& progress, QString& error);
