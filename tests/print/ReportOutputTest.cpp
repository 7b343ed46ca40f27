#include "print/ReportOutput.h"
#include "SyntheticRows.h"
#include "lcd/LcdText.h"
#include "print/ReportLayout.h"
#include "print/ReportPainter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <tuple>
#include <utility>

namespace {

bool inkIn(const QImage& image, const QRect& area)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(line[x]) < 160)
                return true;
    }
    return false;
}

class RenderedPage : public ::testing::Test {
protected:
    static constexpr qreal kDpi = 100;

    QImage render(int page)
    {
        QImage image(layout.pageSize(), QImage::Format_RGB32);
        image.fill(Qt::red); // the painter must cover the whole sheet
        QPainter painter(&image);
        paintReportPage(painter, layout, rows, page);
        return image;
    }
    int mm(double v) const { return qRound(v * kDpi / 25.4); }

    const ReportLayout layout{kDpi};
    const SyntheticRows rows{40}; // a full page and a page of three rows
};

TEST_F(RenderedPage, InkWhereEachItemIsAndNoneInTheMargins)
{
    for (int page : {0, 1}) {
        const QImage image = render(page);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << "page " << page;
        for (const ReportItem& item : layout.pageItems(page, rows))
            EXPECT_TRUE(inkIn(image, item.box)) << qPrintable(item.text) << " on page " << page;
        const QRect inside(QPoint(mm(10), mm(10)), QPoint(mm(200) - 1, mm(287) - 1));
        EXPECT_FALSE(inkIn(image, QRect(0, 0, image.width(), inside.top())));
        EXPECT_FALSE(inkIn(image, QRect(0, inside.bottom() + 1, image.width(), image.height())));
        EXPECT_FALSE(inkIn(image, QRect(0, 0, inside.left(), image.height())));
        EXPECT_FALSE(inkIn(image, QRect(inside.right() + 1, 0, image.width(), image.height())));
    }
}

TEST_F(RenderedPage, FooterOnlyOnTheFirstOfTwoPagesAndNoLinesBelowTheLastRow)
{
    const QRect footer(QPoint(mm(10), mm(287 - 10.6)), QPoint(mm(200) - 1, mm(287) - 1));
    EXPECT_TRUE(inkIn(render(0), footer));
    const QImage last = render(1);
    EXPECT_FALSE(inkIn(last, footer));
    const int belowThirdRow = mm(10 + 21.2 + 3 * 6.6);
    EXPECT_FALSE(inkIn(last, QRect(0, belowThirdRow, last.width(), last.height())));
}

TEST_F(RenderedPage, UnitSymbolsLookAsTheLcdRendererDrawsThem)
{
    const QImage page = render(0);
    const std::vector<ReportItem> items = layout.pageItems(0, rows);
    const ReportItem* unit = nullptr;
    for (const ReportItem& item : items)
        if (item.face == ReportFace::Unit && !unit)
            unit = &item;
    ASSERT_TRUE(unit);
    lcd::Style style;
    style.pixelSize = layout.fontPixels();
    style.ink = Qt::black;
    QImage direct(page.size(), QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter painter(&direct);
        lcd::drawText(painter, unit->box.topLeft(), unit->text, style);
    }
    // The symbols' own area (the item's box runs on to the column's edge),
    // equal but for rounding where edges are blended.
    const QRect area = QRect(unit->box.topLeft(), lcd::textSize(unit->text, style).toSize())
                           .intersected(unit->box);
    int worst = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            worst = std::max(worst, std::abs(qGray(page.pixel(x, y)) - qGray(direct.pixel(x, y))));
    EXPECT_LE(worst, 2);
}

// Rows whose texts are longer than their columns (an opened file may hold
// such): words on even rows, one unbroken word on odd rows.
class LongTextRows : public SyntheticRows {
public:
    LongTextRows() : SyntheticRows(ReportLayout::kRowsPerPage) {}
    ReadingRow row(int index) const override
    {
        ReadingRow r = SyntheticRows::row(index);
        r.time = r.channel = r.value = r.unit = r.judge =
            index % 2 ? QStringLiteral("W").repeated(60)
                      : QStringLiteral("a long text of many words ").repeated(4);
        return r;
    }
};

TEST_F(RenderedPage, LongTextsAreCutAtTheirColumnsEdge)
{
    const LongTextRows longRows;
    QImage image(layout.pageSize(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintReportPage(painter, layout, longRows, 0);
    painter.end();
    // No ink in the last millimetre before each column's start or past the
    // band's edge (mm from the band's left): no text runs over a neighbour.
    const std::pair<double, double> clear[] = {{32.9, 33.9},   {75.2, 76.2},   {98.5, 99.5},
                                               {130.2, 131.2}, {155.6, 156.6}, {190, 200}};
    for (const auto& [from, to] : clear)
        EXPECT_FALSE(inkIn(image, QRect(QPoint(mm(10 + from), mm(10 + 21.2)),
                                        QPoint(mm(10 + to) - 1, mm(287 - 10.6)))))
            << from << " mm";
    // Too low for a second line, a band shows the words on one line cut at
    // the column's edge, not only those that fit whole.
    for (const ReportItem& item : layout.pageItems(0, longRows)) {
        if (!item.text.contains(QLatin1Char(' ')) || item.face == ReportFace::Label)
            continue;
        EXPECT_TRUE(inkIn(image, QRect(item.box.right() - mm(2), item.box.top(), mm(2), mm(3))))
            << item.box.left() << ", " << item.box.top();
    }
}

TEST(ReportTextFlags, WrapOnlyWhereTheBoxHoldsTheWrappedLines)
{
    const QFontMetrics metrics(QFont(QStringLiteral("Arial"), 10));
    const QString words = QStringLiteral("a long text of many words");
    for (const auto& [lines, times, wraps] :
         {std::tuple{1, 1, false}, std::tuple{3, 1, true}, std::tuple{3, 4, false}}) {
        ReportItem item;
        item.box = QRect(0, 0, metrics.horizontalAdvance(words) / 2, lines * metrics.lineSpacing());
        item.text = words.repeated(times);
        EXPECT_EQ(reportTextFlags(item, metrics) & (Qt::TextWordWrap | Qt::TextSingleLine),
                  wraps ? Qt::TextWordWrap : Qt::TextSingleLine)
            << lines << " lines, " << times << " times";
    }
}

// ---- PDF output -----------------------------------------------------------

class PdfOutput : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // The file's text as pdftotext reads it, pages split by form feeds.
    QString pdfText(const QString& file)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return {};
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), file, QStringLiteral("-")});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
            return QStringLiteral("<pdftotext failed>");
        return QString::fromUtf8(tool.readAllStandardOutput()).simplified();
    }
    bool havePdfToText() const
    {
        return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
    }

    QString exportRun(const ReportRows& rows, PageRun run, const char* name)
    {
        QString error;
        EXPECT_EQ(exportPdf(path(name), rows, run, {}, error), OutputResult::Done)
            << qPrintable(error);
        return path(name);
    }

    QTemporaryDir dir;
};

TEST_F(PdfOutput, ThreeRowsReadBackInLayoutOrderWithoutFooter)
{
    if (!havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const SyntheticRows rows(3);
    const QString text = pdfText(exportRun(rows, {0, 0, 1, true}, "three.pdf"));
    const QRegularExpression order(
        QStringLiteral("^Test Data No Time T1 T2 Value Unit Judge "
                       "1 2024/05/06_09:03:07 T1 0\\.5 Pass 2 2024/05/06_09:03:07 T1 1\\.5 Pass "
                       "3 2024/05/06_09:03:07 T1 2\\.5 Pass$"));
    EXPECT_TRUE(order.match(text).hasMatch()) << qPrintable(text);
}

TEST_F(PdfOutput, PageRangeOfAHugeReportReadsOnlyItsRowsAndCarriesTheFooter)
{
    if (!havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const SyntheticRows rows(10'000'000);
    const QString text = pdfText(exportRun(rows, {1, 2, 1, true}, "range.pdf"));
    EXPECT_LE(rows.reads, 2 * ReportLayout::kRowsPerPage);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Test Data No Time T1 T2 Value Unit Judge 38 ")))
        << qPrintable(text.left(200));
    EXPECT_EQ(text.count(QStringLiteral("The Data Print Foot")), 2);
    EXPECT_EQ(text.count(QStringLiteral("Test Data")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral(" 111 2024/05/06_09:03:07 ")));
    EXPECT_FALSE(text.contains(QStringLiteral(" 112 2024/05/06_09:03:07 ")));
}

TEST_F(PdfOutput, CancelAndFailureLeaveTheExistingFileAlone)
{
    const QString name = path("kept.pdf");
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    const SyntheticRows rows(200);
    QString error;
    int calls = 0;
    const auto cancelAtOnce = [&](int done, int total) {
        ++calls;
        EXPECT_EQ(done, 1);
        EXPECT_EQ(total, 6);
        return false;
    };
    EXPECT_EQ(exportPdf(name, rows, {0, 5, 1, true}, cancelAtOnce, error), OutputResult::Cancelled);
    EXPECT_EQ(calls, 1);
    QFile kept(name);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old contents"));

    EXPECT_EQ(exportPdf(path("missing/dir/x.pdf"), rows, {0, 0, 1, true}, {}, error),
              OutputResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_EQ(exportPdf(path("empty.pdf"), SyntheticRows(0), {0, 0, 1, true}, {}, error),
              OutputResult::Failed);
    EXPECT_FALSE(QFile::exists(path("empty.pdf")));
}

TEST(PageRunOrder, CopiesCollatedOrPageByPageWithinTheReport)
{
    const auto order = [](PageRun run, int pageCount) {
        const PageRun r = run.clampedTo(pageCount);
        QList<int> pages;
        for (int s = 0; s < r.sheets(); ++s)
            pages.append(r.pageAt(s));
        return pages;
    };
    EXPECT_EQ(order({2, 3, 2, true}, 10), (QList<int>{2, 3, 2, 3}));
    EXPECT_EQ(order({2, 3, 2, false}, 10), (QList<int>{2, 2, 3, 3}));
    EXPECT_EQ(order({8, 20, 1, true}, 10), (QList<int>{8, 9}));
    EXPECT_EQ(order({-5, 0, 0, true}, 10), (QList<int>{0}));
    EXPECT_TRUE(order({0, 3, 1, true}, 0).isEmpty());
}

} // namespace
