#pragma once

#include <QString>

class LastFolder;
class QPrinter;
class QWidget;
class ReportRows;

// The print preview and the dialogs it opens go through this interface, so
// that tests can answer them without a modal window.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;

    // Shows the report of these rows in the print preview and returns when
    // the user closes it. Its PDF export starts in the folder last used.
    virtual void preview(const ReportRows& rows, LastFolder& folder, QWidget* parent) = 0;
    // The system's print dialog on a printer set up for the report's pages
    // (printer, page range, copies); false when the user cancels.
    virtual bool setUpPrinter(QPrinter& printer, int pageCount, QWidget* parent) = 0;
    // Name of the PDF file to export to, chosen from startFolder on, or
    // empty text on cancel.
    virtual QString pdfFileName(const QString& startFolder, QWidget* parent) = 0;
    // Printing or exporting failed for this reason.
    virtual void failed(const QString& text, QWidget* parent) = 0;
};

// The real preview window and dialogs.
class WidgetPrintDialogs : public PrintDialogs {
public:
    void preview(const ReportRows& rows, LastFolder& folder, QWidget* parent) override;
    bool setUpPrinter(QPrinter& printer, int pageCount, QWidget* parent) override;
    QString pdfFileName(const QString& startFolder, QWidget* parent) override;
    void failed(const QString& text, QWidget* parent) override;
};
