#include "print/ReportPreview.h"
#include "ScriptedPrintDialogs.h"
#include "SyntheticRows.h"
#include "print/ReportLayout.h"
#include "print/ReportPageView.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

// A ten-million-row report: the preview must open, page and jump without
// drawing (or reading the rows of) more than the pages it shows.
class HugePreview : public ::testing::Test {
protected:
    HugePreview()
    {
        preview.resize(800, 900);
        preview.show();
        settle();
    }
    void settle()
    {
        QCoreApplication::processEvents();
        preview.pages()->viewport()->repaint();
    }
    QString box() const { return preview.pageBox()->text(); }
    void typePage(const QString& text)
    {
        preview.pageBox()->setText(text);
        emit preview.pageBox()->editingFinished();
        settle();
    }

    static constexpr int kPages = 270'271;
    SyntheticRows rows{10'000'000};
    ScriptedPrintDialogs dialogs;
    ReportPreview preview{rows, dialogs};
};

TEST_F(HugePreview, OpensOnPageOneAndDrawsOnlyWhatIsShown)
{
    EXPECT_EQ(preview.pages()->pageCount(), kPages);
    EXPECT_EQ(box(), QStringLiteral("1 / 270271"));
    EXPECT_GE(preview.pages()->pagesRendered(), 1);
    EXPECT_LE(preview.pages()->pagesRendered(), 2);
    EXPECT_LE(rows.reads, 2 * ReportLayout::kRowsPerPage);
}

TEST_F(HugePreview, NavigationAndThePageBoxMoveInConstantWork)
{
    preview.lastPage();
    settle();
    EXPECT_EQ(box(), QStringLiteral("270271 / 270271"));
    preview.previousPage();
    EXPECT_EQ(box(), QStringLiteral("270270 / 270271"));
    preview.nextPage();
    preview.nextPage(); // stays on the last page
    EXPECT_EQ(box(), QStringLiteral("270271 / 270271"));
    typePage(QStringLiteral("1000"));
    EXPECT_EQ(box(), QStringLiteral("1000 / 270271"));
    typePage(QStringLiteral("99999999"));
    EXPECT_EQ(box(), QStringLiteral("270271 / 270271"));
    typePage(QStringLiteral("abc"));
    EXPECT_EQ(box(), QStringLiteral("270271 / 270271"));
    preview.firstPage();
    settle();
    EXPECT_EQ(box(), QStringLiteral("1 / 270271"));
    EXPECT_LE(preview.pages()->pagesRendered(), 12);
    EXPECT_LE(rows.reads, 12 * ReportLayout::kRowsPerPage);
}

TEST_F(HugePreview, ZoomKeepsThePageAndFitPageShowsOneWholeSheet)
{
    typePage(QStringLiteral("500"));
    for (int choice = 0; choice < preview.zoomBox()->count(); ++choice) {
        preview.zoomBox()->setCurrentIndex(choice);
        emit preview.zoomBox()->activated(choice);
        settle();
        EXPECT_EQ(box(), QStringLiteral("500 / 270271")) << choice;
    }
    preview.zoomBox()->setCurrentIndex(0);
    emit preview.zoomBox()->activated(0); // fit page
    const QSize sheet = preview.pages()->pageSizeOnScreen();
    EXPECT_LE(sheet.height(), preview.pages()->viewport()->height());
    EXPECT_LE(sheet.width(), preview.pages()->viewport()->width());
}

TEST_F(HugePreview, PrintsOnlyTheChosenRangeAndCopies)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    dialogs.onPrinter = [&](QPrinter& printer) {
        EXPECT_EQ(printer.fromPage(), 1);
        EXPECT_EQ(printer.toPage(), kPages);
        printer.setOutputFileName(file);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(3, 4);
        printer.setCopyCount(2);
        return true;
    };
    const qint64 readsBefore = rows.reads;
    preview.printReport();
    EXPECT_EQ(dialogs.printerPageCounts, QList<int>{kPages});
    EXPECT_TRUE(dialogs.failures.isEmpty());
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.readAll().count("/Type /Page\n"), 4); // pages 3 and 4, twice
    EXPECT_LE(rows.reads - readsBefore, 4 * ReportLayout::kRowsPerPage);
}

TEST_F(HugePreview, CancelledDialogsPrintNothingAndFailuresAreShown)
{
    preview.printReport(); // the print dialog cancelled
    preview.exportToPdf(); // no file name
    EXPECT_TRUE(dialogs.failures.isEmpty());

    dialogs.onPrinter = [](QPrinter& printer) {
        printer.setOutputFileName(QStringLiteral("/no/such/folder/x.pdf"));
        printer.setPrintRange(QPrinter::CurrentPage);
        return true;
    };
    preview.printReport();
    dialogs.pdfAnswers << QStringLiteral("/no/such/folder/y.pdf");
    preview.exportToPdf();
    EXPECT_EQ(dialogs.failures.size(), 2);
}

} // namespace
