#pragma once

#include "print/PrintDialogs.h"
#include "print/ReportRows.h"

#include <QStringList>

#include <functional>

// Answers the print preview and its dialogs: the preview runs `onPreview`
// (what the user does while it is open) instead of waiting for a user; the
// print dialog runs `onPrinter` (none: cancelled); PDF names come from a
// queue (empty: cancelled), their dialogs' start folders are recorded;
// failures are recorded.
class ScriptedPrintDialogs : public PrintDialogs {
public:
    void preview(const ReportRows& rows, LastFolder& folder, QWidget* parent) override
    {
        previewedRowCounts.append(rows.rowCount());
        if (onPreview)
            onPreview(rows, folder, parent);
    }
    bool setUpPrinter(QPrinter& printer, int pageCount, QWidget*) override
    {
        printerPageCounts.append(pageCount);
        return onPrinter && onPrinter(printer);
    }
    QString pdfFileName(const QString& startFolder, QWidget*) override
    {
        pdfStartFolders.append(startFolder);
        return pdfAnswers.isEmpty() ? QString() : pdfAnswers.takeFirst();
    }
    void failed(const QString& text, QWidget*) override { failures.append(text); }

    std::function<void(const ReportRows&, LastFolder&, QWidget*)> onPreview;
    std::function<bool(QPrinter&)> onPrinter;
    QStringList pdfAnswers;
    QStringList pdfStartFolders;
    QList<int> previewedRowCounts;
    QList<int> printerPageCounts;
    QStringList failures;
};
