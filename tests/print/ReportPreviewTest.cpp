#include "print/ReportPreview.h"
#include "ScriptedPrintDialogs.h"
#include "SyntheticRows.h"
#include "print/ReportLayout.h"
#include "print/ReportPageView.h"
#include "widgets/LastFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

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
    LastFolder folder;
    ReportPreview preview{rows, dialogs, folder};
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

// The user types in the page box, prints or exports, and closes the preview.
// Its widgets go after its own destructor has run; the page box losing the
// focus then (the desktop may tell it late, or the program ends with the
// preview open) ends its editing, which must reach no slot of the dying
// preview (a debug build aborts, a release build calls a destroyed object).
TEST(PreviewClose, PageBoxLosingFocusWhileThePreviewIsDestroyedReachesNoSlot)
{
    QTemporaryDir dir;
    SyntheticRows rows{100};
    const struct {
        const char* action;
        QString pdf; // empty: cancelled
    } outputs[] = {{"Print…", {}}, {"Export PDF…", {}}, {"Export PDF…", dir.filePath("x.pdf")}};
    for (const auto& output : outputs)
        for (const char* close : {"Close", "Escape", "window", "left open"}) {
            SCOPED_TRACE(std::string(output.action) + " " + close);
            ScriptedPrintDialogs dialogs;
            dialogs.pdfAnswers << output.pdf;
            LastFolder folder;
            auto preview = std::make_unique<ReportPreview>(rows, dialogs, folder);
            const auto trigger = [&](const char* text) {
                for (QAction* action : preview->findChildren<QAction*>())
                    if (action->text() == QString::fromUtf8(text))
                        action->trigger();
            };
            preview->show();
            QApplication::setActiveWindow(preview.get());
            QLineEdit* box = preview->pageBox();
            box->setFocus();
            box->setText(QStringLiteral("2"));
            trigger(output.action);
            trigger(close);
            if (close == std::string("Escape")) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &escape);
            } else if (close == std::string("window")) {
                preview->close();
            }
            EXPECT_EQ(preview->isVisible(), close == std::string("left open"));
            // Left open, the box loses the focus as the preview hides in its
            // destruction; closed, the desktop may tell it while the widgets
            // go: the view goes first, then the box ends its editing.
            QObject::connect(preview->pages(), &QObject::destroyed, box,
                             [box] { emit box->editingFinished(); });
            preview.reset();
        }
}

} // namespace
