#include "print/ReportLayout.h"
#include "SyntheticRows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct PageCountCase {
    int rows;
    int pages;
    int rowsOnLastPage;
};

class PageCount : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(PageCount, FollowsFromThirtySevenRowsAPage)
{
    const PageCountCase c = GetParam();
    EXPECT_EQ(ReportLayout::pageCount(c.rows), c.pages);
    if (c.pages > 0) {
        const PageRows last = ReportLayout::rowsOnPage(c.pages - 1, c.rows);
        EXPECT_EQ(last.first, (c.pages - 1) * ReportLayout::kRowsPerPage);
        EXPECT_EQ(last.count, c.rowsOnLastPage);
    }
    EXPECT_EQ(ReportLayout::rowsOnPage(c.pages, c.rows).count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageCount,
    ::testing::Values(PageCountCase{0, 0, 0}, PageCountCase{1, 1, 1}, PageCountCase{37, 1, 37},
                      PageCountCase{38, 2, 1}, PageCountCase{74, 2, 37},
                      PageCountCase{10'000'000, 270'271, 10'000'000 % 37},
                      PageCountCase{2'147'483'647, 58'040'099, 2'147'483'647 % 37}));

TEST(ReportFooter, OnEveryPageButTheLast)
{
    const ReportLayout layout(72);
    const auto hasFootLabel = [&](int page, int rows) {
        const SyntheticRows source(rows);
        const auto items = layout.pageItems(page, source);
        return std::any_of(items.begin(), items.end(), [](const ReportItem& item) {
            return item.text == QLatin1String("The Data Print Foot");
        });
    };
    EXPECT_FALSE(hasFootLabel(0, 37));
    EXPECT_TRUE(hasFootLabel(0, 38));
    EXPECT_FALSE(hasFootLabel(1, 38));
}

const ReportItem* find(const std::vector<ReportItem>& items, const QString& text, int nth = 0)
{
    for (const ReportItem& item : items)
        if (item.text == text && nth-- == 0)
            return &item;
    return nullptr;
}

// Device position of a length in millimetres at a resolution.
int at(double mm, double dpi)
{
    return qRound(mm * dpi / 25.4);
}

class ItemPositions : public ::testing::TestWithParam<double> {};

TEST_P(ItemPositions, SitInTheirBandsAtTheDesignedOffsets)
{
    const double dpi = GetParam();
    const ReportLayout layout(dpi);
    EXPECT_EQ(layout.pageSize(), QSize(at(210, dpi), at(297, dpi)));
    EXPECT_EQ(layout.fontPixels(), qRound(10 * dpi / 72));

    const SyntheticRows rows(40);
    const auto items = layout.pageItems(0, rows);

    const ReportItem* title = find(items, QStringLiteral("Test Data"));
    ASSERT_TRUE(title);
    EXPECT_TRUE(title->centred);
    EXPECT_EQ(title->box.left(), at(10, dpi));
    EXPECT_EQ(title->box.right() + 1, at(200, dpi));
    EXPECT_EQ(title->box.top(), at(10 + 2.1, dpi));

    // Column titles: 10 mm margin + 10.6 mm page header + 4.2 mm.
    const struct {
        const char* text;
        double left;
    } titles[] = {{"No", 8.5},     {"Time", 33.9},  {"T1 T2", 76.2},
                  {"Value", 99.5}, {"Unit", 132.3}, {"Judge", 156.6}};
    for (const auto& t : titles) {
        const ReportItem* item = find(items, QString::fromLatin1(t.text));
        ASSERT_TRUE(item) << t.text;
        EXPECT_EQ(item->box.topLeft(), QPoint(at(10 + t.left, dpi), at(10 + 10.6 + 4.2, dpi)))
            << t.text;
        EXPECT_EQ(item->face, ReportFace::Label);
    }

    // Row 2's fields: 21.2 mm of headers, one 6.6 mm line, 2.1 mm down.
    const int rowTop = at(10 + 21.2 + 6.6 + 2.1, dpi);
    const struct {
        QString text;
        double left;
        ReportFace face;
        int nth; // texts that every row has: the second one
    } fields[] = {{QStringLiteral("2"), 8.5, ReportFace::Data, 0},
                  {QStringLiteral("2024/05/06_09:03:07"), 33.9, ReportFace::Data, 1},
                  {QStringLiteral("T1"), 76.2, ReportFace::Data, 1},
                  {QStringLiteral(" 1.5"), 99.5, ReportFace::Data, 0},
                  {QStringLiteral("#-K"), 131.2, ReportFace::Unit, 1},
                  {QStringLiteral("Pass"), 156.6, ReportFace::Data, 1}};
    for (const auto& f : fields) {
        const ReportItem* item = find(items, f.text, f.nth);
        ASSERT_TRUE(item) << qPrintable(f.text);
        EXPECT_EQ(item->box.topLeft(), QPoint(at(10 + f.left, dpi), rowTop)) << qPrintable(f.text);
        EXPECT_EQ(item->box.bottom() + 1, at(10 + 21.2 + 2 * 6.6, dpi)) << qPrintable(f.text);
        EXPECT_EQ(item->face, f.face);
    }

    // The footer band ends at the bottom margin.
    const ReportItem* foot = find(items, QStringLiteral("The Data Print Foot"));
    ASSERT_TRUE(foot);
    EXPECT_EQ(foot->box.topLeft(), QPoint(at(18.5, dpi), at(297 - 10 - 10.6 + 4.2, dpi)));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ItemPositions, ::testing::Values(72.0, 1200.0));

TEST(ReportItems, PrintStoredTextsUntrimmedAndNothingForEmptyFields)
{
    const ReportLayout layout(300);
    const SyntheticRows rows(10);
    const auto items = layout.pageItems(0, rows);
    // Header, six titles, six fields a row, less the empty judgement of row 10.
    EXPECT_EQ(items.size(), 1u + 6u + 10u * 6u - 1u);
    EXPECT_TRUE(find(items, QStringLiteral(" 9.5")));
    EXPECT_TRUE(find(items, QStringLiteral("Pass"), 8));
    EXPECT_EQ(find(items, QStringLiteral("Pass"), 9), nullptr);
    EXPECT_TRUE(layout.pageItems(1, rows).empty());
}

} // namespace
