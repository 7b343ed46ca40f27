// Printing the table through the preview and saving the chart as a picture.
#include "ScriptedPrintDialogs.h"
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "chart/TrendChartView.h"
#include "print/ReportPageView.h"
#include "print/ReportPreview.h"
#include "recording/ReadingGrid.h"
#include "recording/ReadingTable.h"
#include "widgets/LastFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

class PrintTest : public WindowTest {
protected:
    PrintTest() : WindowTest(Deferred{})
    {
        services.printDialogs = &print;
        openWindow();
        window->show();
    }

    void addRows(int count)
    {
        const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
        for (int i = 0; i < count; ++i) {
            const int no = window->cds1->rowCount() + 1;
            window->cds1->appendRecorded(no, when, QStringLiteral("T1"),
                                         QStringLiteral(" %1.5").arg(20 + no),
                                         QStringLiteral("#-K"), QStringLiteral("Fail"));
        }
    }

    ScriptedPrintDialogs print;
    QTemporaryDir dir;
};

TEST_F(PrintTest, ReportKeepsTheRowsPresentWhileTheGridPausesAndReadingsGoOn)
{
    addRows(3);
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    print.pdfAnswers << pdf;
    print.onPreview = [&](const ReportRows& rows, LastFolder& folder, QWidget* parent) {
        EXPECT_EQ(parent, window.get());
        ReportPreview preview(rows, print, folder, parent);
        addRows(1); // a reading recorded while the preview is open
        EXPECT_EQ(window->DBGrid1->selectedTableRow(), 2);
        EXPECT_EQ(preview.pageBox()->text(), QStringLiteral("1 / 1"));
        preview.exportToPdf();
    };
    window->BtPrint->click();

    EXPECT_EQ(print.previewedRowCounts, QList<int>{3});
    EXPECT_TRUE(print.failures.isEmpty());
    EXPECT_EQ(window->cds1->rowCount(), 4);
    EXPECT_EQ(window->DBGrid1->selectedTableRow(), 3); // following again
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QString text = QString::fromUtf8(tool.readAllStandardOutput()).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("3 2024/05/06_09:03:07 T1 23.5 Fail")))
        << qPrintable(text);
    EXPECT_FALSE(text.contains(QStringLiteral("24.5")));
}

TEST_F(PrintTest, EmptyTableGeneratesNoPagesAndNothingToPrint)
{
    print.onPreview = [&](const ReportRows& rows, LastFolder& folder, QWidget* parent) {
        ReportPreview preview(rows, print, folder, parent);
        EXPECT_EQ(preview.pages()->pageCount(), 0);
        EXPECT_EQ(preview.pageBox()->text(), QStringLiteral("0 / 0"));
        EXPECT_FALSE(preview.printAction()->isEnabled());
        EXPECT_FALSE(preview.exportAction()->isEnabled());
    };
    window->BtPrint->click();
    EXPECT_EQ(print.previewedRowCounts, QList<int>{0});
}

// Every file dialog (the table's save and open, the chart picture's, the PDF
// export's) starts in the documents folder (home without one), then in the
// folder of the file last chosen in any of them.
TEST_F(PrintTest, FileDialogsStartInDocumentsThenInTheFolderLastUsed)
{
    addRows(1);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    const QString a = dir.path();
    const QString b = dir.filePath(QStringLiteral("b"));
    ASSERT_TRUE(QDir(a).mkdir(QStringLiteral("b")));
    print.onPreview = [&](const ReportRows& rows, LastFolder& folder, QWidget* parent) {
        ReportPreview(rows, print, folder, parent).exportToPdf();
    };
    const struct {
        QToolButton* button;
        QString answer; // empty: cancelled
        QString start;
    } steps[] = {{window->saveas, QString(), first},
                 {window->OpenDataFiles, a + QStringLiteral("/none.xls"), first},
                 {window->BtSave, b + QStringLiteral("/chart.bmp"), a},
                 {window->BtPrint, a + QStringLiteral("/report.pdf"), b},
                 {window->saveas, QString(), a}};
    for (const auto& step : steps) {
        QStringList& answers =
            step.button == window->BtPrint ? print.pdfAnswers : dialogs.fileAnswers;
        answers = QStringList{step.answer};
        step.button->click();
        const QString start = step.button == window->BtPrint ? print.pdfStartFolders.last()
                                                             : dialogs.fileDialogs.last().folder;
        EXPECT_EQ(start, step.start) << qPrintable(step.button->objectName() + step.answer);
    }
}

// ---- Chart picture ----------------------------------------------------------

class ChartPictureTest : public PrintTest {
protected:
    void readings(int count)
    {
        for (int i = 0; i < count; ++i)
            window->ChartAddReading(20.0 + (i % 7) * 3);
    }
    QString save(const char* name)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        dialogs.fileAnswers << file;
        window->BtSave->click();
        return file;
    }
    // The chart as it is on screen, its toolbar controls hidden.
    QImage onScreen()
    {
        QList<QWidget*> hidden;
        for (QWidget* child : window->ChartView->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child != window->ChartView->viewport() && child->isVisible()) {
                child->hide();
                hidden.append(child);
            }
        const QImage image =
            window->ChartView->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QWidget* child : hidden)
            child->show();
        return image;
    }
    static QImage load(const QString& file)
    {
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(ChartPictureTest, BitmapHoldsTheChartAsDrawnInTwentyFourBits)
{
    readings(150);
    const QString file = save("chart.bmp");

    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    const FileDialogOptions& options = dialogs.fileDialogs.first();
    EXPECT_EQ(options.typeLabels, (QStringList{QStringLiteral("Bitmaps (*.bmp)"),
                                               QStringLiteral("PNG image (*.png)")}));
    EXPECT_EQ(options.typePatterns,
              (QStringList{QStringLiteral("*.bmp"), QStringLiteral("*.png")}));
    EXPECT_EQ(options.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_FALSE(options.confirmOverwrite);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Graphic has saved on ") + file});

    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray header = raw.read(30);
    EXPECT_TRUE(header.startsWith("BM"));
    EXPECT_EQ(quint8(header.at(28)), 24); // bits a pixel
    const QImage saved = load(file);
    EXPECT_EQ(saved.size(), window->ChartView->size());
    EXPECT_TRUE(saved == onScreen());
}

TEST_F(ChartPictureTest, OlderPageIsWrittenAsShownAndPngOnRequest)
{
    readings(250);
    const QImage newest = load(save("newest.bmp"));
    window->BtFirst->click();
    const QString older = save("older.png");
    EXPECT_EQ(QImageReader(older).format(), QByteArray("png"));
    EXPECT_TRUE(load(older) == onScreen());
    EXPECT_FALSE(load(older) == newest);
}

TEST_F(ChartPictureTest, ExistingFileIsReplacedWithoutAQuestion)
{
    const QString file = dir.filePath(QStringLiteral("old.bmp"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("not a picture");
    old.close();
    save("old.bmp");
    EXPECT_EQ(load(file).size(), window->ChartView->size());
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Graphic has saved on ") + file});
}

TEST_F(ChartPictureTest, WriteFailureShowsTheErrorAndNoConfirmation)
{
    const QString file = save("no/such/folder/chart.bmp");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown.first().kind, QStringLiteral("error"));
    EXPECT_EQ(dialogs.shown.first().text,
              QStringLiteral("Cannot create file %1. No such file or directory")
                  .arg(QDir::toNativeSeparators(file)));

    dialogs.clear();
    window->BtSave->click(); // cancelled: no name
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
