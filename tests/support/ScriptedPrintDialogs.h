#pragma once

#include "print/PrintDialogs.h"
#include "print/ReportRows.h"

#include <QStringList>

#include <functional>

// Answers the print preview and its dialogs: the preview runs `onPreview`
// (what the user does while it is open) instead of waiting for a user; the
// print dialog runs `onPrinter` (none: cancelled); PDF names come from a
// queue (empty: cancelled); failures are recorded.
class ScriptedPrintDialogs : public PrintDialogs {
public:
    void preview(const ReportRows& rows, QWidget* parent) override
    {
        previewedRowCounts.append(rows.rowCount());
        if (onPreview)
            onPreview(rows, parent);
    }
    bool setUpPrinter(QPrinter& printer, int pageCount, QWidget*) override
    {
        printerPageCounts.append(pageCount);
        return onPrinter && onPrinter(printer);
    }
    QString pdfFileName(QWidget*) override
    {
        return pdfAnswers.isEmpty() ? QString() : pdfAnswers.takeFirst();
    }
    void failed(const QString& text, QWidget*) override { failures.append(text); }

    std::function<void(const ReportRows&, QWidget*)> onPreview;
    std::function<bool(QPrinter&)> onPrinter;
    QStringList pdfAnswers;
    QList<int> previewedRowCounts;
    QList<int> printerPageCounts;
    QStringList failures;
};
