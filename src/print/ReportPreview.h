#pragma once

#include "print/ReportOutput.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLineEdit;
class LastFolder;
class PrintDialogs;
class ReportPageView;
class ReportRows;

// The print preview: page navigation with a "N / M" page box, zoom, printing
// through the system's print dialog and PDF export. The pages come from the
// rows as they are drawn; nothing is laid out ahead.
class ReportPreview : public QDialog {
    Q_OBJECT

public:
    ReportPreview(const ReportRows& rows, PrintDialogs& dialogs, LastFolder& folder,
                  QWidget* parent = nullptr);
    ~ReportPreview() override;

    ReportPageView* pages() const { return view_; }
    QLineEdit* pageBox() const { return pageBox_; }
    QComboBox* zoomBox() const { return zoomBox_; }
    QAction* printAction() const { return print_; }
    QAction* exportAction() const { return export_; }

    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void printReport();
    void exportToPdf();

private:
    void buildToolBar();
    void showPageNumber();
    void onPageBoxEdited();
    void onZoomChosen(int index);
    // Runs an output with a progress window that offers Cancel.
    OutputResult withProgress(const QString& what,
                              const std::function<OutputResult(const PageProgress&)>& output);

    const ReportRows& rows_;
    PrintDialogs& dialogs_;
    LastFolder& folder_; // where the PDF export's dialog starts
    ReportPageView* view_;
    QLineEdit* pageBox_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QAction* print_ = nullptr;
    QAction* export_ = nullptr;
};
