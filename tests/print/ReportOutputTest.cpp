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

// Rows whose one field holds a text longer than its column (an opened file
// may): words on even rows, one unbroken word on odd rows.
class LongTextRows : public ReportRows {
public:
    explicit LongTextRows(ReadingField field) : field_(field) {}
    int rowCount() const override { return ReportLayout::kRowsPerPage; }
    ReadingRow row(int index) const override
    {
        const QString text =
            index % 2 == 0
                ? QStringLiteral("a long text of many words ").repeated(4)
                : (field_ == ReadingField::AUnit ? QStringLiteral("#-K") : QStringLiteral("W"))
                      .repeated(40);
        ReadingRow r;
        switch (field_) {
        case ReadingField::ATime: r.time = text; break;
        case ReadingField::AT1T2: r.channel = text; break;
        case ReadingField::AValue: r.value = text; break;
        case ReadingField::AUnit: r.unit = text; break;
        default: r.judge = text; break;
        }
        return r;
    }

private:
    ReadingField field_;
};

TEST_F(RenderedPage, LongTextsStayInsideTheirColumn)
{
    // Each column from its field's left edge (mm within the band) to the
    // next column's.
    const struct {
        ReadingField field;
        double left;
        double right;
    } columns[] = {{ReadingField::ATime, 33.9, 76.2},
                   {ReadingField::AT1T2, 76.2, 99.5},
                   {ReadingField::AValue, 99.5, 131.2},
                   {ReadingField::AUnit, 131.2, 156.6},
                   {ReadingField::AJudge, 156.6, 190}};
    const int detailTop = mm(10 + 21.2);
    const int detailBottom = mm(287 - 10.6);
    for (const auto& c : columns) {
        const LongTextRows longRows(c.field);
        QImage image(layout.pageSize(), QImage::Format_RGB32);
        QPainter painter(&image);
        paintReportPage(painter, layout, longRows, 0);
        painter.end();
        const int left = mm(10 + c.left);
        const int right = mm(10 + c.right);
        const QString name = readingFieldName(c.field);
        EXPECT_TRUE(inkIn(image, QRect(QPoint(left, detailTop), QPoint(right - 1, detailBottom))))
            << qPrintable(name);
        EXPECT_FALSE(
            inkIn(image, QRect(QPoint(right, detailTop), QPoint(image.width() - 1, detailBottom))))
            << qPrintable(name);
        // Too low for a second line, the band shows the words on one line cut
        // at the column's edge, not only those that fit whole.
        for (const ReportItem& item : layout.pageItems(0, longRows)) {
            const QRect end(item.box.topRight() - QPoint(mm(2), 0), QSize(mm(2), mm(3)));
            if (item.text.contains(QLatin1Char(' ')) && item.face != ReportFace::Label) {
                EXPECT_TRUE(inkIn(image, end)) << qPrintable(name) << " at " << item.box.top();
            }
        }
    }
}

TEST(ReportTextFlags, WrapOnlyWhereTheBoxHoldsTheWrappedLines)
{
    const QFont font(QStringLiteral("Arial"), 10);
    const QFontMetrics metrics(font);
    const int line = metrics.lineSpacing();
    const QString words = QStringLiteral("a long text of many words");
    const struct {
        int lines; // the box's height in lines
        QString text;
        int wrap;
    } cases[] = {{1, words, 0},
                 {3, words, Qt::TextWordWrap},
                 {3, words.repeated(4), 0},
                 {3, QStringLiteral("short"), Qt::TextWordWrap}};
    for (const auto& c : cases) {
        ReportItem item;
        item.box = QRect(0, 0, metrics.horizontalAdvance(words) / 2, c.lines * line);
        item.text = c.text;
        const int flags = reportTextFlags(item, metrics);
        EXPECT_EQ(flags & (Qt::TextWordWrap | Qt::TextSingleLine),
                  c.wrap ? c.wrap : int(Qt::TextSingleLine))
            << c.lines << " lines: " << qPrintable(c.text);
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
